// The windows of the shell, offered to Tarvexel on the session bus.
//
// Written once for both builds of the extension: the build puts this text
// between a few lines that bring Gio, GLib, Meta and Main into scope in the
// style of the shell's version (legacy.js for GNOME 43 and 44, module.js for
// GNOME 45 and later), so both speak with the same window logic.
//
// What it offers is deliberately small: the list of the windows, whether
// one of them is minimised, and activating, closing (politely, as the close
// button does) and minimising one of them. Nothing else of the shell can be
// reached through it.

const kObjectPath = '/org/tarvexel/Windows';
const kInterface = `
<node>
  <interface name="org.tarvexel.Windows1">
    <method name="List">
      <arg name="windows" type="a(ussssb)" direction="out"/>
    </method>
    <method name="Activate">
      <arg name="id" type="u" direction="in"/>
      <arg name="found" type="b" direction="out"/>
    </method>
    <method name="Close">
      <arg name="id" type="u" direction="in"/>
      <arg name="found" type="b" direction="out"/>
    </method>
    <method name="Minimize">
      <arg name="id" type="u" direction="in"/>
      <arg name="found" type="b" direction="out"/>
    </method>
    <method name="IsMinimized">
      <arg name="id" type="u" direction="in"/>
      <arg name="minimized" type="b" direction="out"/>
    </method>
  </interface>
</node>`;

// A window of its own, as a task bar shows it: a normal window or a dialog
// with no parent, not hidden from the task bar. Menus, tooltips and the
// dialogs that belong to another window are left out.
function isListed(window) {
    const type = window.get_window_type();
    return (type === Meta.WindowType.NORMAL || type === Meta.WindowType.DIALOG) &&
        !window.is_override_redirect() && !window.is_skip_taskbar() &&
        window.get_transient_for() === null;
}

// Topmost first.
function listedWindows() {
    const windows = global.get_window_actors()
        .map(actor => actor.get_meta_window())
        .filter(window => window !== null && isListed(window));
    return global.display.sort_windows_by_stacking(windows).reverse();
}

// A window's id is its stable sequence number: 32 bits, never reused while
// the shell runs. get_id() is 64 bits, and Wayland windows use the upper half.
function windowWithId(id) {
    return listedWindows().find(window => window.get_stable_sequence() === id) ?? null;
}

function describe(window) {
    return [
        window.get_stable_sequence(),
        window.get_wm_class() ?? '',
        window.get_wm_class_instance() ?? '',
        window.get_gtk_application_id() ?? '',
        window.get_title() ?? '',
        window.has_focus(),
    ];
}

class TarvexelWindows {
    constructor() {
        this._waiting = new Set();
        this._pending = new Set();
        this._exported = Gio.DBusExportedObject.wrapJSObject(kInterface, this);
        this._exported.export(Gio.DBus.session, kObjectPath);
    }

    destroy() {
        this._exported.unexport();
        for (const handler of this._waiting)
            Main.overview.disconnect(handler);
        for (const source of this._pending)
            GLib.source_remove(source);
    }

    List() {
        return listedWindows().map(describe);
    }

    Activate(id) {
        const window = windowWithId(id);
        if (window === null)
            return false;
        const fromOverview = Main.overview.visible;
        Main.activateWindow(window);
        if (fromOverview)
            this._activateAfterOverview(id);
        return true;
    }

    Close(id) {
        const window = windowWithId(id);
        if (window === null)
            return false;
        window.delete(global.get_current_time());
        return true;
    }

    Minimize(id) {
        const window = windowWithId(id);
        if (window === null)
            return false;
        window.minimize();
        return true;
    }

    // False also for a window it does not list. The launcher never asks
    // (a minimised window is a window like any other to its rules); this
    // is for a person or a test that wants to see what Minimize did.
    IsMinimized(id) {
        const window = windowWithId(id);
        return window !== null && window.minimized;
    }

    // The overview holds the focus while it is shown and, as it closes,
    // hands it back to the window that had it before: activating once more
    // when it has gone leaves the chosen window focused.
    _activateAfterOverview(id) {
        const handler = Main.overview.connect('hidden', () => {
            Main.overview.disconnect(handler);
            this._waiting.delete(handler);
            const source = GLib.idle_add(GLib.PRIORITY_DEFAULT, () => {
                this._pending.delete(source);
                const window = windowWithId(id);
                if (window !== null)
                    Main.activateWindow(window);
                return GLib.SOURCE_REMOVE;
            });
            this._pending.add(source);
        });
        this._waiting.add(handler);
    }
}
