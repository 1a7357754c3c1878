// Tarvexel's windows on the session bus: the build for GNOME Shell 43 and
// 44, which load an extension as a script that defines init().
const {Gio, GLib, Meta} = imports.gi;
const Main = imports.ui.main;

@WINDOW_LOGIC@
class Extension {
    constructor(path) {
        this._path = path;
    }

    enable() {
        this._windows = new TarvexelWindows(this._path);
    }

    disable() {
        this._windows.destroy();
        this._windows = null;
    }
}

// Called by the shell with the extension's record, which tells where it was
// loaded from.
function init(extension) {
    return new Extension(extension.path);
}
