// The parts of the shell's main module the extension uses, recording what
// is asked of them; the test reads `asked`. The overview closes as the
// shell's does with animations off: before activateWindow() returns.
export const asked = [];

const handlers = new Map();
let nextHandler = 1;

export const overview = {
    visible: false,
    connect(signal, callback) {
        asked.push(`connect ${signal}`);
        handlers.set(nextHandler, {signal, callback});
        return nextHandler++;
    },
    disconnect(handler) {
        handlers.delete(handler);
    },
};

export function activateWindow(window) {
    asked.push(`activate ${window.get_stable_sequence()}`);
    if (overview.visible) {
        overview.visible = false;
        for (const {signal, callback} of [...handlers.values()]) {
            if (signal === 'hidden')
                callback();
        }
    }
}
