// The shell's Extension base class, as far as an extension sees it.
export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
    }

    get path() {
        return this.metadata.path;
    }
}
