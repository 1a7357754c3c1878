// The GNOME 45+ build of the extension, which no shell here can run: it
// must load as an ES module against the shell's modules (stand-ins from
// shell_stubs, served as resources) and the real Meta typelib, its default
// export must be an Extension with enable() and disable(), and its window
// logic must be windows.js word for word, as in the tested 43 build.
// Enabled, it must answer on the session bus as the 43 build does, over
// windows faked the way mutter presents them, to this program only while
// the list beside it names it, and activating from the overview as the
// shell closes it with animations off; bringing a window to the workspace
// in use moves it there first, unless it is on every workspace.
// Usage (in a session bus of its own):
//   gjs -m extension_module_test.js STUBS.gresource WINDOWS.js BUILD43.js BUILD45.js
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Meta from 'gi://Meta';
import System from 'system';

const [stubs, logicPath, legacyPath, modulePath] = ARGV;
const read = path => new TextDecoder().decode(GLib.file_get_contents(path)[1]);

function check(condition, what) {
    if (!condition) {
        printerr(`FAIL: ${what}`);
        System.exit(1);
    }
}

// A mutter window as the extension sees it.
function fakeWindow(sequence, type, names, more = {}) {
    const [wmClass, instance, title, focus] = names;
    return {
        get_stable_sequence: () => sequence,
        get_window_type: () => type,
        is_override_redirect: () => more.overrideRedirect ?? false,
        is_skip_taskbar: () => more.skipTaskbar ?? false,
        get_transient_for: () => more.parent ?? null,
        get_wm_class: () => wmClass,
        get_wm_class_instance: () => instance,
        get_gtk_application_id: () => more.appId ?? null,
        get_title: () => title,
        has_focus: () => focus,
        delete: () => asked.push(`close ${sequence}`),
        minimize() {
            asked.push(`minimize ${sequence}`);
            this.minimized = true;
        },
        minimized: false,
        is_on_all_workspaces: () => more.everywhere ?? false,
        change_workspace: workspace => asked.push(`move ${sequence} to ${workspace}`),
    };
}

const T = Meta.WindowType;
const editor = fakeWindow(7, T.NORMAL, ['Editor', 'editor', 'notes.txt', true],
    {appId: 'org.example.Editor'});
const terminal = fakeWindow(3, T.NORMAL, ['foot', 'foot', 'shell', false]);
const free = fakeWindow(9, T.DIALOG, ['Zenity', 'zenity', 'Question', false],
    {everywhere: true});
const modal = fakeWindow(5, T.MODAL_DIALOG, ['zenity', 'zenity', 'Zen', false]);
// Bottom of the stack first, as mutter sorts them.
const stacked = [
    terminal, modal, free, editor,
    fakeWindow(11, T.DIALOG, ['Editor', 'editor', 'Save?', false], {parent: editor}),
    fakeWindow(15, T.MODAL_DIALOG, ['Editor', 'editor', 'Open', false], {parent: editor}),
    fakeWindow(12, T.POPUP_MENU, ['Editor', 'editor', '', false]),
    fakeWindow(13, T.NORMAL, ['Panel', 'panel', 'panel', false], {skipTaskbar: true}),
    fakeWindow(14, T.NORMAL, ['Menu', 'menu', 'menu', false], {overrideRedirect: true}),
];
globalThis.global = {
    get_window_actors: () => [...stacked].reverse()
        .map(window => ({get_meta_window: () => window})),
    get_current_time: () => 0,
    workspace_manager: {get_active_workspace: () => 'workspace 2'},
    display: {
        sort_windows_by_stacking: windows => stacked.filter(window => windows.includes(window)),
    },
};

const logic = read(logicPath);
check(read(legacyPath).includes(logic), 'the 43 build holds windows.js word for word');
check(read(modulePath).includes(logic), 'the 45 build holds windows.js word for word');

Gio.Resource.load(stubs)._register();
const {Extension} = await import('resource:///org/gnome/shell/extensions/extension.js');
const {asked} = await import('resource:///org/gnome/shell/ui/main.js');
const built = await import(`file://${modulePath}`);
check(built.default.prototype instanceof Extension, 'the default export extends Extension');
// An extension folder whose list of allowed programs holds `programs`.
function folderAllowing(programs) {
    const folder = GLib.dir_make_tmp('tarvexel-XXXXXX');
    GLib.file_set_contents(`${folder}/allowed-programs`, programs.map(p => `${p}\n`).join(''));
    return folder;
}
const self = GLib.file_read_link('/proc/self/exe');
let extension = new built.default({uuid: 'tarvexel@tarvexel.org',
    path: folderAllowing(['/usr/bin/tarvexel', self])});
extension.enable();

function call(method, parameters = null) {
    return new Promise((resolve, reject) => {
        Gio.DBus.session.call('org.gnome.Shell', '/org/tarvexel/Windows', 'org.tarvexel.Windows1',
            method, parameters, null, Gio.DBusCallFlags.NONE, 2000, null, (connection, result) => {
                try {
                    resolve(connection.call_finish(result).deep_unpack()[0]);
                } catch (error) {
                    reject(error);
                }
            });
    });
}

// The shell owns this name; here the test does, on the connection the
// extension exported its object on.
await new Promise(resolve => Gio.bus_own_name_on_connection(Gio.DBus.session, 'org.gnome.Shell',
    Gio.BusNameOwnerFlags.NONE, resolve, null));
const listed = JSON.stringify(await call('List'));
check(listed === JSON.stringify([
    [7, 'Editor', 'editor', 'org.example.Editor', 'notes.txt', true],
    [9, 'Zenity', 'zenity', '', 'Question', false],
    [5, 'zenity', 'zenity', '', 'Zen', false],
    [3, 'foot', 'foot', '', 'shell', false],
]), `List gives the listed windows topmost first: ${listed}`);
const id = value => new GLib.Variant('(u)', [value]);
check(await call('Activate', id(3)), 'Activate knows window 3');
check(!await call('IsMinimized', id(9)), 'window 9 is not minimised at first');
check(await call('Minimize', id(9)), 'Minimize knows window 9');
check(await call('IsMinimized', id(9)), 'window 9 is minimised once asked');
check(await call('Close', id(7)), 'Close knows window 7');
check(await call('BringHere', id(3)), 'BringHere knows window 3');
check(await call('BringHere', id(9)), 'BringHere knows window 9, on every workspace');
for (const unknown of [11, 12, 13, 14, 15, 4294967295]) {
    for (const method of ['Activate', 'Minimize', 'Close', 'IsMinimized', 'BringHere'])
        check(!await call(method, id(unknown)), `${method} turns down window ${unknown}`);
}
check(asked.join(', ') === 'activate 3, minimize 9, close 7, move 3 to workspace 2, ' +
    'activate 3, activate 9', `what was asked: ${asked}`);

// From the overview: the overview is gone when activateWindow() returns,
// and the window is activated once more after it.
asked.length = 0;
const {overview} = await import('resource:///org/gnome/shell/ui/main.js');
overview.visible = true;
check(await call('Activate', id(3)), 'Activate knows window 3 in the overview');
await new Promise(resolve => GLib.idle_add(GLib.PRIORITY_LOW, () => {
    resolve();
    return GLib.SOURCE_REMOVE;
}));
check(asked.join(', ') === 'connect hidden, activate 3, activate 3',
    `activating from the overview: ${asked}`);
extension.disable();

// A list that does not name this program, or no list: every method is
// refused, and nothing is done.
for (const programs of [['/usr/bin/tarvexel'], null]) {
    const path = programs ? folderAllowing(programs) : GLib.dir_make_tmp('tarvexel-XXXXXX');
    extension = new built.default({uuid: 'tarvexel@tarvexel.org', path});
    extension.enable();
    asked.length = 0;
    for (const [method, parameters] of [['List', null], ['Activate', id(3)], ['Close', id(3)],
        ['Minimize', id(3)], ['IsMinimized', id(9)], ['BringHere', id(3)]]) {
        let refusal = null;
        await call(method, parameters).catch(error => (refusal = error));
        check(refusal !== null && Gio.DBusError.get_remote_error(refusal) ===
            'org.freedesktop.DBus.Error.AccessDenied', `${method} refused with ${programs}`);
        check(!refusal.message.includes('Zen'), `the refusal of ${method} tells a title`);
    }
    check(asked.length === 0, `a refused call did something: ${asked}`);
    extension.disable();
}
print('PASS');
