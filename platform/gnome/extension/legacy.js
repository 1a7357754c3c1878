// Tarvexel's windows on the session bus: the build for GNOME Shell 43 and
// 44, which load an extension as a script that defines init().
const {Gio, GLib, Meta} = imports.gi;
const Main = imports.ui.main;

@WINDOW_LOGIC@
class Extension {
    enable() {
        this._windows = new TarvexelWindows();
    }

    disable() {
        this._windows.destroy();
        this._windows = null;
    }
}

// Called by the shell with the extension's metadata, which is not needed.
function init() {
    return new Extension();
}
