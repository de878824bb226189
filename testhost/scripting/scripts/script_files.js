// ExtendScript's File and Folder over the real file system, for the
// simulator's script engine. Paths are POSIX paths; absoluteURI is the path
// with bytes outside the URI set percent-encoded, and a File made from it
// names the same file again.
__qvh.path = function (path) {
    path = __qvh.fs.unuri(path === undefined ? "" : String(path));
    if (path.charAt(0) !== "/")
        path = __qvh.fs.cwd() + "/" + path;
    while (path.length > 1 && path.charAt(path.length - 1) === "/")
        path = path.substring(0, path.length - 1);
    return path;
};

// Why writing, removing or creating `path` failed: the host's preference
// when it is off, else the file system.
__qvh.writeError = function (what, path) {
    if (!__qvh.scriptAccessPref())
        return what + " " + path + ": not allowed. Turn on \"Allow Scripts to Write Files and Access Network\"" +
               " in the Scripting & Expressions preferences.";
    return what + " " + path;
};

__qvh.FsItem = {
    get fsName() { return this._path; },
    get absoluteURI() { return __qvh.fs.uri(this._path); },
    get fullName() { return this.absoluteURI; },
    get name() { return __qvh.fs.uri(this.displayName); },
    get displayName() { return this._path.substring(this._path.lastIndexOf("/") + 1); },
    get parent() {
        var at = this._path.lastIndexOf("/");
        return at <= 0 ? null : new Folder(this._path.substring(0, at));
    },
    remove: function () {
        var ok = __qvh.fs.remove(this._path);
        this.error = ok ? "" : __qvh.writeError("Cannot remove", this._path);
        return ok;
    },
    toString: function () { return this.absoluteURI; }
};

function File(path) {
    if (!(this instanceof File))
        return new File(path);
    this._path = __qvh.path(path);
    this._id = -1;
    this.error = "";
    this.encoding = "UTF-8";
}
File.prototype = Object.create(__qvh.FsItem, {
    exists: {get: function () { return __qvh.fs.stat(this._path) === 1; }}
});
File.prototype.constructor = File;

// Modes "r", "w", "a" and "e" (read and write, the file must exist).
File.prototype.open = function (mode) {
    if (this._id >= 0)
        this.close();
    mode = String(mode || "r");
    this._id = __qvh.fs.open(this._path, mode);
    this.error = this._id >= 0 ? "" : /^[wae]$/.test(mode) ? __qvh.writeError("Cannot open", this._path)
                                    : "Cannot open " + this._path;
    return this._id >= 0;
};
File.prototype.read = function () {
    return this._id < 0 ? "" : __qvh.fs.read(this._id);
};
File.prototype.write = function () {
    var text = "";
    for (var i = 0; i < arguments.length; i++)
        text += String(arguments[i]);
    var ok = this._id >= 0 && __qvh.fs.write(this._id, text);
    this.error = ok ? "" : __qvh.writeError("Cannot write", this._path);
    return ok;
};
File.prototype.writeln = function () {
    return this.write.apply(this, Array.prototype.slice.call(arguments).concat(["\n"]));
};
File.prototype.close = function () {
    var ok = this._id >= 0 && __qvh.fs.close(this._id);
    this._id = -1;
    return ok;
};

function Folder(path) {
    if (!(this instanceof Folder))
        return new Folder(path);
    this._path = __qvh.path(path);
    this.error = "";
}
Folder.prototype = Object.create(__qvh.FsItem, {
    exists: {get: function () { return __qvh.fs.stat(this._path) === 2; }}
});
Folder.prototype.constructor = Folder;

Folder.prototype.create = function () {
    var ok = __qvh.fs.mkdir(this._path);
    this.error = ok ? "" : __qvh.writeError("Cannot create", this._path);
    return ok;
};

// Files and folders inside, in name order; `mask` is a wildcard such as "*.qvp".
Folder.prototype.getFiles = function (mask) {
    var names = __qvh.fs.list(this._path, mask === undefined ? "*" : String(mask));
    if (names === null)
        return null;
    var found = [];
    for (var i = 0; i < names.length; i++) {
        var path = this._path + "/" + names[i];
        found.push(__qvh.fs.stat(path) === 2 ? new Folder(path) : new File(path));
    }
    return found;
};
