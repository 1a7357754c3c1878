// What a call to Tarvexel's GNOME Shell extension costs the caller: the
// time per List, against the time per Ping of the shell's own connection
// (a round trip that does nothing), over COUNT calls of each, interleaved.
// The difference is what the extension adds, its check of the caller
// included. Run in a GNOME session by a program the extension answers, e.g.
//   bash tests/desktop/desktop_test.sh gnome --run gjs bench/extension_calls.js 2000
// with gjs on the extension's list (the desktop tests put it there).
const {Gio, GLib} = imports.gi;

const count = Number(ARGV[0] ?? 1000);

function call(iface, method) {
    Gio.DBus.session.call_sync('org.gnome.Shell', '/org/tarvexel/Windows', iface, method,
        null, null, Gio.DBusCallFlags.NONE, 2000, null);
}

function median(values) {
    const sorted = [...values].sort((a, b) => a - b);
    return sorted[Math.floor(sorted.length / 2)];
}

const times = {List: [], Ping: []};
for (let i = 0; i < count; i++) {
    for (const [name, iface] of [['List', 'org.tarvexel.Windows1'],
        ['Ping', 'org.freedesktop.DBus.Peer']]) {
        const start = GLib.get_monotonic_time();
        call(iface, name);
        times[name].push(GLib.get_monotonic_time() - start);
    }
}
for (const [name, values] of Object.entries(times)) {
    const mean = values.reduce((a, b) => a + b, 0) / values.length;
    print(`${name}: ${count} calls, median ${median(values)} µs, mean ${mean.toFixed(0)} µs`);
}
