// The windows of the shell, offered to Tarvexel on the session bus.
//
// Written once for both builds of the extension: the build puts this text
// between a few lines that bring Gio, GLib, Meta and Main into scope in the
// style of the shell's version (legacy.js for GNOME 43 and 44, module.js for
// GNOME 45 and later), so both speak with the same window logic.
//
// What it offers is deliberately small: the list of the windows, whether
// one of them is minimised, and activating (also on the user's workspace,
// the window moved there first), closing (politely, as the close button
// does) and minimising one of them. Nothing else of the shell can be
// reached through it.

const kObjectPath = '/org/tarvexel/Windows';

// Every method but List is about one window, named by its id, and
// answers yes or no.
function windowMethod(name, answer) {
    return `
    <method name="${name}">
      <arg name="id" type="u" direction="in"/>
      <arg name="${answer}" type="b" direction="out"/>
    </method>`;
}

const kInterface = `
<node>
  <interface name="org.tarvexel.Windows1">
    <method name="List">
      <arg name="windows" type="a(ussssb)" direction="out"/>
    </method>
    ${windowMethod('Activate', 'found')}
    ${windowMethod('Close', 'found')}
    ${windowMethod('Minimize', 'found')}
    ${windowMethod('IsMinimized', 'minimized')}
    ${windowMethod('BringHere', 'found')}
  </interface>
</node>`;

// A window of its own, as a task bar shows it: a normal window or a dialog
// with no parent, not hidden from the task bar. Menus, tooltips and the
// dialogs that belong to another window are left out. A modal dialog with
// no parent is a window of its own too: GTK 4 shows a dialog program's only
// window (zenity 4) that way.
const kOwnWindowTypes = [Meta.WindowType.NORMAL, Meta.WindowType.DIALOG,
    Meta.WindowType.MODAL_DIALOG];

function isListed(window) {
    return kOwnWindowTypes.includes(window.get_window_type()) &&
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

// Who may call. The shell's windows, their titles among them, are for the
// programs the install put in place, named one a line in the file
// kAllowedFile beside the extension (the build tree's programs, in a build),
// and for no other program on the session bus: the bus names the calling
// process, and its executable must be one of them and run in the shell's
// own mount namespace (a sandboxed program, a Flatpak application behind
// its bus proxy, has one of its own). Decided on every call, since a
// process id can be reused, and on no list at all nobody is answered.
const kAllowedFile = 'allowed-programs';
const kAccessDenied = 'org.freedesktop.DBus.Error.AccessDenied';

function readLink(path) {
    try {
        return GLib.file_read_link(path);
    } catch (error) {
        return null;
    }
}

function readAllowed(path) {
    try {
        const text = new TextDecoder().decode(GLib.file_get_contents(path)[1]);
        return new Set(text.split('\n').filter(line => line.startsWith('/')));
    } catch (error) {
        return new Set();
    }
}

class Callers {
    constructor(folder) {
        this._listPath = GLib.build_filenamev([folder, kAllowedFile]);
        this._allowed = readAllowed(this._listPath);
        this._namespace = readLink('/proc/self/ns/mnt');
    }

    // Resolves with null for a caller that may be answered, else with what
    // it is told.
    refusal(sender) {
        return new Promise(resolve => {
            if (sender === null) {
                resolve(this._refusal('comes from no name on the bus'));
                return;
            }
            Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
                'org.freedesktop.DBus', 'GetConnectionCredentials',
                new GLib.Variant('(s)', [sender]), new GLib.VariantType('(a{sv})'),
                Gio.DBusCallFlags.NONE, -1, null, (bus, result) => {
                    let credentials = {};
                    try {
                        credentials = bus.call_finish(result).deep_unpack()[0];
                    } catch (error) {}
                    resolve(this._judge(credentials['ProcessID']?.deep_unpack()));
                });
        });
    }

    _judge(pid) {
        if (pid === undefined || pid === 0)
            return this._refusal('comes from a process the bus cannot name');
        const program = readLink(`/proc/${pid}/exe`);
        if (program === null)
            return this._refusal(`comes from process ${pid}, whose program cannot be read`);
        if (this._namespace === null || readLink(`/proc/${pid}/ns/mnt`) !== this._namespace) {
            return this._refusal(`comes from ${program}, which runs in a sandbox or ` +
                'another mount namespace than the desktop');
        }
        if (!this._allowed.has(program)) {
            return this._refusal(`comes from ${program}, which is not one of the programs ` +
                `listed in ${this._listPath}: run tarvexel from where it was installed, ` +
                'or install it again');
        }
        return null;
    }

    _refusal(why) {
        return `Tarvexel's GNOME Shell extension answers only the programs installed with ` +
            `it; this call ${why}.`;
    }
}

class TarvexelWindows {
    // folder: the extension's own, where the install wrote kAllowedFile.
    constructor(folder) {
        this._callers = new Callers(folder);
        this._waiting = new Set();
        this._pending = new Set();
        this._exported = Gio.DBusExportedObject.wrapJSObject(kInterface, this);
        this._exported.export(Gio.DBus.session, kObjectPath);
    }

    destroy() {
        this._destroyed = true;
        this._exported.unexport();
        for (const handler of this._waiting)
            Main.overview.disconnect(handler);
        for (const source of this._pending)
            GLib.source_remove(source);
    }

    // Each method is answered once its caller has been judged, and then only
    // if the extension is still enabled.
    _answer(invocation, signature, act) {
        this._callers.refusal(invocation.get_sender()).then(refusal => {
            if (refusal !== null)
                invocation.return_dbus_error(kAccessDenied, refusal);
            else if (this._destroyed)
                invocation.return_dbus_error('org.freedesktop.DBus.Error.UnknownObject', 'disabled');
            else
                this._return(invocation, signature, act);
        });
    }

    _return(invocation, signature, act) {
        try {
            invocation.return_value(new GLib.Variant(signature, [act()]));
        } catch (error) {
            invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed', error.message);
        }
    }

    ListAsync(parameters, invocation) {
        this._answer(invocation, '(a(ussssb))', () => listedWindows().map(describe));
    }

    ActivateAsync([id], invocation) {
        this._answer(invocation, '(b)', () => this._activate(id));
    }

    CloseAsync([id], invocation) {
        this._answerWithWindow(invocation, id, window => window.delete(global.get_current_time()));
    }

    MinimizeAsync([id], invocation) {
        this._answerWithWindow(invocation, id, window => window.minimize());
    }

    // Acts on the window with that id, if it is listed; answers whether it
    // is.
    _answerWithWindow(invocation, id, act) {
        this._answer(invocation, '(b)', () => {
            const window = windowWithId(id);
            if (window !== null)
                act(window);
            return window !== null;
        });
    }

    // False also for a window it does not list. The launcher never asks
    // (a minimised window is a window like any other to its rules); this
    // is for a person or a test that wants to see what Minimize did.
    IsMinimizedAsync([id], invocation) {
        this._answer(invocation, '(b)', () => windowWithId(id)?.minimized ?? false);
    }

    // The window comes to the workspace the user is on, and is activated
    // there: the user stays where they are. A window shown on every
    // workspace is there already. (Activate takes the user to the window's
    // workspace instead.)
    BringHereAsync([id], invocation) {
        this._answer(invocation, '(b)', () => {
            const window = windowWithId(id);
            if (window !== null && !window.is_on_all_workspaces())
                window.change_workspace(global.workspace_manager.get_active_workspace());
            return this._activate(id);
        });
    }

    // The overview holds the focus while it is shown and, as it closes,
    // hands it back to the window that had it before: activating once more
    // when it has gone leaves the chosen window focused. With animations
    // off the overview is gone before activateWindow() returns, so the
    // handler is in place before it is called.
    _activate(id) {
        const window = windowWithId(id);
        if (window === null)
            return false;
        if (Main.overview.visible)
            this._activateAfterOverview(id);
        Main.activateWindow(window);
        return true;
    }

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
