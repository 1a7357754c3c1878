// What the tests ask of GNOME Shell over the session bus:
//   list                 the extension's windows, one a line, topmost first:
//                        ID CLASS INSTANCE APPID TITLE FOCUSED, tab-separated
//   call METHOD ID       Activate, Close, Minimize or IsMinimized; prints its
//                        answer
//   overview [on|off]    prints whether the overview is shown; with an
//                        argument, shows or hides it first
//   press KEYSYM...      presses the keys (X keysyms, as numbers) one after
//                        the other and lets them go in reverse, through
//                        mutter's remote desktop, as a keyboard would
// Ends with status 1 when the shell or the extension does not answer.
const {Gio, GLib} = imports.gi;

function call(path, iface, method, parameters) {
    return Gio.DBus.session.call_sync('org.gnome.Shell', path, iface, method, parameters,
        null, Gio.DBusCallFlags.NONE, 2000, null).deep_unpack();
}

function windows(method, parameters = null) {
    return call('/org/tarvexel/Windows', 'org.tarvexel.Windows1', method, parameters);
}

function overview(wanted) {
    const properties = 'org.freedesktop.DBus.Properties';
    if (wanted !== undefined) {
        call('/org/gnome/Shell', properties, 'Set', new GLib.Variant('(ssv)',
            ['org.gnome.Shell', 'OverviewActive', new GLib.Variant('b', wanted === 'on')]));
    }
    const [shown] = call('/org/gnome/Shell', properties, 'Get',
        new GLib.Variant('(ss)', ['org.gnome.Shell', 'OverviewActive']));
    return shown.deep_unpack() ? 'on' : 'off';
}

// A remote desktop session ends with the connection that made it: the
// whole press is made on this one.
function press(keysyms) {
    const service = 'org.gnome.Mutter.RemoteDesktop';
    const [session] = Gio.DBus.session.call_sync(service, '/org/gnome/Mutter/RemoteDesktop',
        service, 'CreateSession', null, null, Gio.DBusCallFlags.NONE, 2000, null).deep_unpack();
    const request = (method, parameters = null) => Gio.DBus.session.call_sync(service, session,
        `${service}.Session`, method, parameters, null, Gio.DBusCallFlags.NONE, 2000, null);
    request('Start');
    for (const keysym of keysyms)
        request('NotifyKeyboardKeysym', new GLib.Variant('(ub)', [keysym, true]));
    for (const keysym of keysyms.reverse())
        request('NotifyKeyboardKeysym', new GLib.Variant('(ub)', [keysym, false]));
    request('Stop');
}

try {
    const [command, ...rest] = ARGV;
    if (command === 'list') {
        for (const window of windows('List')[0])
            print(window.join('\t'));
    } else if (command === 'call') {
        print(windows(rest[0], new GLib.Variant('(u)', [Number(rest[1])]))[0]);
    } else if (command === 'overview') {
        print(overview(rest[0]));
    } else if (command === 'press') {
        press(rest.map(Number));
    } else {
        throw new Error(`unknown command ${command}`);
    }
} catch (error) {
    printerr(error.message);
    imports.system.exit(1);
}
