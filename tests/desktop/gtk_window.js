// A native Wayland window for the desktop tests on GNOME (GTK 3 under gjs),
// the counterpart of the X11 helper window: it carries the class and title
// it is given and writes down, one line each, what happens to it:
//   ready      it is on screen (mapped)
//   focus      it became the focused window (the compositor's "activated"
//              state: a headless shell has no keyboard to send focus with)
//   close      it was asked to close, as by its close button; it then ends
// Usage: gjs gtk_window.js RECORD [--class C] [--instance I] [--title T]
//        [--no-delete]
// --class becomes the Wayland app id, which is what mutter reports as both
// parts of WM_CLASS; a Wayland window has no separate instance name, so
// --instance is taken and ignored. --no-delete turns close requests down.
imports.gi.versions.Gdk = '3.0';
imports.gi.versions.Gtk = '3.0';
const {Gdk, GLib, Gtk} = imports.gi;

const [record, ...flags] = ARGV;
const options = {class: 'Helper', title: null, delete: true};
for (let i = 0; i < flags.length; i++) {
    switch (flags[i]) {
    case '--class': options.class = flags[++i]; break;
    case '--instance': ++i; break;
    case '--title': options.title = flags[++i]; break;
    case '--no-delete': options.delete = false; break;
    default: throw new Error(`unknown option ${flags[i]}`);
    }
}

// The whole record is written anew each time, by renaming, so a reader
// never sees half a line.
let written = '';
function note(line) {
    written += `${line}\n`;
    GLib.file_set_contents(record, written);
}

// GTK takes the program's name as the app id of a window without a
// GtkApplication.
GLib.set_prgname(options.class);
Gtk.init(null);
const window = new Gtk.Window({default_width: 300, default_height: 200});
if (options.title !== null)
    window.set_title(options.title);
window.connect('map-event', () => {
    shown = true;
    note('ready');
});
// GTK calls a window focused before the compositor has said anything:
// only what comes once it is on screen counts.
let shown = false;
let focused = false;
window.connect('window-state-event', () => {
    const now = shown && (window.get_window().get_state() & Gdk.WindowState.FOCUSED) !== 0;
    if (now && !focused)
        note('focus');
    focused = now;
});
window.connect('delete-event', () => {
    note('close');
    return !options.delete;
});
window.connect('destroy', () => Gtk.main_quit());
window.show_all();
Gtk.main();
