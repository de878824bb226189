// Quorvel's code editor with its preset library. The plug-in sends this whole
// text followed by "_Quorvel_Open_Editer('<code>','<plug-ins folder>');" and
// stores the text that call returns. Presets are named snippets kept in
// catalog files ("*.qvp", one JSON object each) in the plug-ins folder and its
// "Tessmar" sub-folder; every change is written to its file at once.

// Older host engines lack these two; newer ones keep their own.
if (!Array.prototype.indexOf) {
    Array.prototype.indexOf = function (item, from) {
        var length = this.length;
        var i = Math.floor(Number(from) || 0);
        if (i < 0)
            i = Math.max(length + i, 0);  // a negative start counts from the end
        for (; i < length; i++)
            if (this[i] === item)
                return i;
        return -1;
    };
}

if (typeof JSON !== "object") {
    JSON = (function () {
        var escapes = {"\"": "\\\"", "\\": "\\\\", "\b": "\\b", "\f": "\\f", "\n": "\\n", "\r": "\\r", "\t": "\\t"};
        function quote(text) {
            return "\"" + String(text).replace(/[\"\\\x00-\x1f\u2028\u2029]/g, function (c) {
                if (Object.prototype.hasOwnProperty.call(escapes, c))
                    return escapes[c];
                return "\\u" + ("0000" + c.charCodeAt(0).toString(16)).slice(-4);
            }) + "\"";
        }
        function stringify(value) {
            var kind = Object.prototype.toString.call(value);
            var parts = [];
            if (value === null || value === undefined)
                return "null";
            if (typeof value.toJSON === "function")
                return stringify(value.toJSON());
            if (typeof value === "number")
                return isFinite(value) ? String(value) : "null";
            if (typeof value === "boolean")
                return String(value);
            if (kind === "[object Array]") {
                for (var i = 0; i < value.length; i++)
                    parts.push(stringify(value[i]));
                return "[" + parts.join(", ") + "]";
            }
            if (kind === "[object Object]") {
                for (var key in value)
                    if (Object.prototype.hasOwnProperty.call(value, key))
                        parts.push(quote(key) + ": " + stringify(value[key]));
                return "{" + parts.join(", ") + "}";
            }
            return quote(value);
        }
        // Strict JSON only: catalog files come from anywhere, and nothing in
        // one may run as script.
        var unescapes = {"\"": "\"", "\\": "\\", "/": "/", b: "\b", f: "\f", n: "\n", r: "\r", t: "\t"};
        function parse(source) {
            var text = String(source), at = 0;
            function fail(what) { throw new SyntaxError("JSON.parse: " + what + " at position " + at); }
            function white() {
                while (at < text.length && " \t\n\r".indexOf(text.charAt(at)) >= 0)
                    at++;
            }
            function word(w, result) {
                if (text.substr(at, w.length) !== w)
                    fail("unexpected text");
                at += w.length;
                return result;
            }
            function string() {
                var out = "";
                for (at++; ;) {
                    if (at >= text.length)
                        fail("unterminated string");
                    var c = text.charAt(at++);
                    if (c === "\"")
                        return out;
                    if (c < " ")
                        fail("control character in a string");
                    if (c !== "\\") {
                        out += c;
                        continue;
                    }
                    var e = text.charAt(at++);
                    if (e === "u") {
                        var hex = text.substr(at, 4);
                        if (!/^[0-9a-fA-F]{4}$/.test(hex))
                            fail("bad \\u escape");
                        out += String.fromCharCode(parseInt(hex, 16));
                        at += 4;
                    } else if (Object.prototype.hasOwnProperty.call(unescapes, e)) {
                        out += unescapes[e];
                    } else {
                        fail("bad escape");
                    }
                }
            }
            function number() {
                var m = /^-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+\-]?[0-9]+)?/.exec(text.substr(at, 400));
                if (!m)
                    fail("bad number");
                at += m[0].length;
                return Number(m[0]);
            }
            function list(close, depth, item) {
                at++;
                white();
                if (text.charAt(at) === close) {
                    at++;
                    return;
                }
                for (;;) {
                    item(depth + 1);
                    white();
                    var c = text.charAt(at++);
                    if (c === close)
                        return;
                    if (c !== ",")
                        fail("expected , or " + close);
                    white();
                }
            }
            // A "__proto__" key is a key like any other, never the object's
            // prototype; an engine that cannot make it so refuses it.
            function member(object, key, item) {
                if (key !== "__proto__")
                    object[key] = item;
                else if (Object.defineProperty)
                    Object.defineProperty(object, key, {value: item, writable: true, enumerable: true, configurable: true});
                else
                    fail("a __proto__ key");
            }
            function value(depth) {
                if (depth > 512)
                    fail("nesting too deep");
                white();
                var c = text.charAt(at), out;
                if (c === "{") {
                    out = {};
                    list("}", depth, function (d) {
                        if (text.charAt(at) !== "\"")
                            fail("expected a key");
                        var key = string();
                        white();
                        if (text.charAt(at++) !== ":")
                            fail("expected :");
                        member(out, key, value(d));
                    });
                    return out;
                }
                if (c === "[") {
                    out = [];
                    list("]", depth, function (d) { out.push(value(d)); });
                    return out;
                }
                if (c === "\"")
                    return string();
                if (c === "-" || (c >= "0" && c <= "9"))
                    return number();
                if (c === "t")
                    return word("true", true);
                if (c === "f")
                    return word("false", false);
                if (c === "n")
                    return word("null", null);
                fail(c ? "unexpected character" : "unexpected end");
            }
            var result = value(0);
            white();
            if (at < text.length)
                fail("unexpected text after the value");
            return result;
        }
        return {
            parse: parse,
            stringify: stringify
        };
    })();
}

function _Quorvel_filenameFormat(filename) {
    if ($.os.indexOf("Windows") >= 0)
        return filename;
    return String(filename).replace(/\\/g, "/");
}

function _Quorvel_errorHandler(message) {
    alert(message + "\nContact with us : support@tessmar.example");
}

// ScriptUI bounds [left, top, right, bottom] from a position and a size.
function _Quorvel_bounds(x, y, width, height) {
    return [x, y, x + width, y + height];
}

// ---- The catalog store ----

// Catalog and preset names come from files and users: as keys they carry a
// prefix that no built-in property has, so a catalog called "__proto__" or
// "hasOwnProperty" is a catalog like any other.
function _Quorvel_key(name) {
    return "#" + name;
}

function _Quorvel_has(map, name) {
    return Object.prototype.hasOwnProperty.call(map, _Quorvel_key(name));
}

function _Quorvel_get(map, name) {
    return _Quorvel_has(map, name) ? map[_Quorvel_key(name)] : undefined;
}

function _Quorvel_PresetManager(presetLocation) {
    this.presetLocation = presetLocation;
    this.pluginFolder = new Folder(_Quorvel_filenameFormat(presetLocation));
    this.tessmarFolder = new Folder(_Quorvel_filenameFormat(presetLocation + "\\Tessmar"));
    this.presets = {};
    this.scanPresets();
}

// Later files win over earlier ones of the same catalog name, so the
// sub-folder's catalogs win over the plug-ins folder's.
_Quorvel_PresetManager.prototype.scanPresets = function () {
    var folders = [this.pluginFolder, this.tessmarFolder];
    for (var f = 0; f < folders.length; f++) {
        var files = folders[f].getFiles("*.qvp") || [];  // null: no such folder
        for (var i = 0; i < files.length; i++) {
            var catalog = files[i] instanceof File ? this.loadFile(files[i]) : null;
            if (catalog)
                this.presets[_Quorvel_key(catalog.name)] = catalog;
        }
    }
};

// A catalog read from its file, or nothing for a file of another type.
_Quorvel_PresetManager.prototype.loadFile = function (file) {
    try {
        if (!file.open("r"))
            throw "Cannot read " + file.fsName;
        var text = file.read();
        file.close();
        var catalog = JSON.parse(text);
        if (!catalog || catalog.type !== "Quorvel Preset")
            return undefined;
        catalog.path = file.absoluteURI;
        catalog.presetNames = [];
        catalog.presetMap = {};
        for (var i = 0; i < catalog.presets.length; i++) {
            catalog.presetNames.push(catalog.presets[i].name);
            catalog.presetMap[_Quorvel_key(catalog.presets[i].name)] = catalog.presets[i].code;  // the last of a name wins
        }
        return catalog;
    } catch (e) {
        file.close();
        _Quorvel_errorHandler(e);
        throw e;
    }
};

_Quorvel_PresetManager.prototype.getCatalogs = function () {
    var names = [];
    for (var key in this.presets)
        if (Object.prototype.hasOwnProperty.call(this.presets, key))
            names.push(key.substr(1));
    return names;
};

// The catalog stored under `name`, or undefined.
_Quorvel_PresetManager.prototype.getCatalog = function (name) {
    return _Quorvel_get(this.presets, name);
};

// Writes `object` as the whole content of `file`; throws when it cannot,
// with the host's reason (such as its preference that forbids scripts to
// write files) when it gives one.
_Quorvel_PresetManager.prototype.writeFile = function (file, object) {
    var failed = function () {
        return "Cannot write " + file.fsName + (file.error ? " (" + file.error + ")" : "");
    };
    if (!file.open("w"))
        throw failed();
    var written = file.write(JSON.stringify(object));
    var reason = failed();
    file.close();
    if (!written)
        throw reason;
};

_Quorvel_PresetManager.prototype.addCatalog = function (name) {
    try {
        var file = new File(_Quorvel_filenameFormat(this.presetLocation + "\\Tessmar\\" + name + ".qvp"));
        if (file.exists)
            throw "Preset file already exist.";
        if (!this.tessmarFolder.exists)
            this.tessmarFolder.create();
        this.writeFile(file, {name: name, type: "Quorvel Preset", version: 1, presets: []});
        this.presets[_Quorvel_key(name)] = this.loadFile(file);
    } catch (e) {
        _Quorvel_errorHandler("Write preset error: " + e);
        throw e;
    }
};

// Writes the stored catalog back to its file, without the keys that exist
// only in memory, and reads it again.
_Quorvel_PresetManager.prototype.save = function (name) {
    try {
        if (!_Quorvel_has(this.presets, name))
            throw "Preset file not exist.";
        var copy = JSON.parse(JSON.stringify(this.getCatalog(name)));
        var file = new File(_Quorvel_filenameFormat(copy.path));
        delete copy.path;
        delete copy.presetMap;
        delete copy.presetNames;
        this.writeFile(file, copy);
        this.presets[_Quorvel_key(name)] = this.loadFile(file);
    } catch (e) {
        _Quorvel_errorHandler("Write preset error: " + e);
        throw e;
    }
};

// ---- The dialog ----

function _Quorvel_Editer_UI(currentScript, presetLocation) {
    this.currentScript = currentScript === undefined || currentScript === null ? "" : String(currentScript);
    this.editingScript = this.currentScript;
    this.presetLocation = presetLocation;
    this.currentPreset = null;
    this.activeScriptName = "";
    this.initUI();
    this.loadPreset();
    this.updatePresetCatalog();
}

_Quorvel_Editer_UI.prototype.initUI = function () {
    var self = this;
    this.window = new Window("dialog", "Quorvel - Script Editor", _Quorvel_bounds(0, 0, 800, 485));
    this.initScriptUI();
    this.initPresetUI();
    this.okBtn = this.window.add("button", _Quorvel_bounds(10, 450, 96, 24), "Ok");
    this.saveAsPresetBtn = this.window.add("button", _Quorvel_bounds(116, 450, 150, 24), "Save as preset");
    this.cancelBtn = this.window.add("button", _Quorvel_bounds(800 - 10 - 96, 450, 96, 24), "Cancel");
    this.okBtn.onClick = function () {
        self.editingScript = self.scriptInput.text;
        self.window.close();
    };
    this.cancelBtn.onClick = function () {
        self.editingScript = self.currentScript;
        self.window.close();
    };
    this.saveAsPresetBtn.onClick = function () { self.saveAsPreset(); };
};

_Quorvel_Editer_UI.prototype.initScriptUI = function () {
    this.scriptPanel = this.window.add("panel", _Quorvel_bounds(10, 10, 450, 430), "Script");
    this.scriptInput = this.scriptPanel.add("edittext", _Quorvel_bounds(5, 10, 435, 405), this.editingScript,
                                            {multiline: true, wantReturn: true});
};

_Quorvel_Editer_UI.prototype.initPresetUI = function () {
    var self = this;
    var panel = this.presetPanel = this.window.add("panel", _Quorvel_bounds(470, 10, 320, 430), "Preset");
    this.presetCatalog = panel.add("dropdownlist", _Quorvel_bounds(5, 10, 240, 24), []);
    this.addPresetBtn = panel.add("button", _Quorvel_bounds(255, 10, 52, 24), "Add");
    this.presetList = panel.add("listbox", _Quorvel_bounds(5, 40, 305, 240), []);
    this.presetPreview = panel.add("edittext", _Quorvel_bounds(5, 290, 305, 90), "Preset Preview",
                                   {multiline: true, wantReturn: true, readonly: true});
    this.addInScriptBtn = panel.add("button", _Quorvel_bounds(5, 390, 145, 24), "Add");
    this.replaceInScriptBtn = panel.add("button", _Quorvel_bounds(165, 390, 145, 24), "Replace");

    this.addPresetBtn.onClick = function () { self.addCatalog(); };
    this.presetCatalog.onChange = function () { self.chooseCatalog(); };
    this.presetList.onChange = function () { self.previewPreset(); };
    this.presetList.onDoubleClick = function () { self.renameOrRemovePreset(); };
    this.addInScriptBtn.onClick = function () {
        if (self.presetPreview.text !== "")
            self.scriptInput.text = self.scriptInput.text + "\n" + self.presetPreview.text;
    };
    this.replaceInScriptBtn.onClick = function () { self.scriptInput.text = self.presetPreview.text; };
};

_Quorvel_Editer_UI.prototype.open = function () {
    this.window.center();
    this.window.show();
    return this.editingScript;
};

_Quorvel_Editer_UI.prototype.loadPreset = function () {
    this._Quorvel_PresetManager = new _Quorvel_PresetManager(this.presetLocation);
};

_Quorvel_Editer_UI.prototype.updatePresetCatalog = function () {
    var names = this._Quorvel_PresetManager.getCatalogs();
    this.presetCatalog.removeAll();
    for (var i = 0; i < names.length; i++)
        this.presetCatalog.add("item", names[i]);
    if (this.currentPreset) {
        var at = names.indexOf(this.currentPreset.name);
        if (at >= 0)
            this.presetCatalog.selection = at;
    } else if (names.length > 0) {
        this.presetCatalog.selection = 0;  // its change handler makes it current
    }
    this.updatePresetList();
};

_Quorvel_Editer_UI.prototype.updatePresetList = function () {
    this.presetList.removeAll();
    if (!this.currentPreset)
        return;
    for (var i = 0; i < this.currentPreset.presetNames.length; i++)
        this.presetList.add("item", String(this.currentPreset.presetNames[i]));
};

// ---- What the controls do ----

_Quorvel_Editer_UI.prototype.addCatalog = function () {
    var name = prompt("Preset Catalog Name", "");
    if (!name)
        return;
    this._Quorvel_PresetManager.addCatalog(name);
    this.currentPreset = this._Quorvel_PresetManager.getCatalog(name);
    this.updatePresetCatalog();
};

_Quorvel_Editer_UI.prototype.chooseCatalog = function () {
    var item = this.presetCatalog.selection;
    var store = this._Quorvel_PresetManager;
    if (!item || !_Quorvel_has(store.presets, item.text))
        return;
    this.currentPreset = store.getCatalog(item.text);
    this.updatePresetList();
};

_Quorvel_Editer_UI.prototype.previewPreset = function () {
    var item = this.presetList.selection;
    if (!item || !this.currentPreset)
        return;
    var code = _Quorvel_get(this.currentPreset.presetMap, item.text);
    if (typeof code !== "string" || code === "")
        return;
    this.presetPreview.text = code;
    this.activeScriptName = item.text;
};

// Saves the current catalog after a change to its presets, and shows it again.
_Quorvel_Editer_UI.prototype.saveCurrentCatalog = function () {
    var name = this.currentPreset.name;
    this._Quorvel_PresetManager.save(name);
    this.currentPreset = this._Quorvel_PresetManager.getCatalog(name);
    this.updatePresetList();
};

// The index of the first preset called `name` in the current catalog, or -1.
_Quorvel_Editer_UI.prototype.findPreset = function (name) {
    var presets = this.currentPreset.presets;
    for (var i = 0; i < presets.length; i++)
        if (presets[i].name === name)
            return i;
    return -1;
};

_Quorvel_Editer_UI.prototype.renameOrRemovePreset = function () {
    var item = this.presetList.selection;
    if (!item || !this.currentPreset)
        return;
    var name = item.text;
    var answer = prompt("Enter new preset name for \"" + name + "\" , or enter \"REMOVE\" to remove this preset.", name);
    if (!answer)
        return;
    var at = this.findPreset(name);
    if (at >= 0 && answer === "REMOVE")
        this.currentPreset.presets.splice(at, 1);
    else if (at >= 0)
        this.currentPreset.presets[at].name = answer;
    this.saveCurrentCatalog();
};

_Quorvel_Editer_UI.prototype.saveAsPreset = function () {
    if (!this.currentPreset) {
        alert("Add a preset catalog first: a preset is saved into the chosen catalog.");
        return;
    }
    var name = prompt("Preset Name", this.activeScriptName);
    if (!name)
        return;
    var at = this.findPreset(name);
    if (at >= 0)
        this.currentPreset.presets[at].code = this.scriptInput.text;
    else
        this.currentPreset.presets.push({name: name, code: this.scriptInput.text});
    this.saveCurrentCatalog();
};

function _Quorvel_Open_Editer(currentScript, presetLocation) {
    return new _Quorvel_Editer_UI(currentScript, presetLocation).open();
}
