// Tarvexel's windows on the session bus: the build for GNOME Shell 45 and
// later, which load an extension as an ES module whose default export is a
// subclass of Extension.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

@WINDOW_LOGIC@
export default class TarvexelExtension extends Extension {
    enable() {
        this._windows = new TarvexelWindows(this.path);
    }

    disable() {
        this._windows.destroy();
        this._windows = null;
    }
}
