// The parts of the shell's main module the extension uses, recording what
// is asked of them; the test reads `asked`.
export const asked = [];

export const overview = {
    visible: false,
    connect(signal) {
        asked.push(`connect ${signal}`);
        return 1;
    },
    disconnect() {},
};

export function activateWindow(window) {
    asked.push(`activate ${window.get_stable_sequence()}`);
}
