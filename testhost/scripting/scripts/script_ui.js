// The part of ScriptUI and the host's message boxes that Quorvel's scripts
// use, for the simulator's script engine. Windows never reach a screen: a
// test or qvhost reads them, and a modal dialog is worked by a scripted user,
// a function set through __qvh.user.
var __qvh = __qvh || {};
__qvh.windows = [];        // every window made since the engine started
__qvh.alerts = [];         // alert texts, in order
__qvh.prompts = [];        // prompt texts, in order
__qvh.promptDefaults = []; // the default answer each prompt offered
__qvh.answers = [];        // prompt answers to give; null is a cancel
__qvh.handlerErrors = [];  // errors thrown by handlers the scripted user set off
__qvh.user = null;         // function (dialog, user), or null: nobody is there

// {x, y, width, height} from an object of that shape or a ScriptUI array
// [left, top, right, bottom].
__qvh.bounds = function (b) {
    if (!b)
        return {x: 0, y: 0, width: 0, height: 0};
    if (b.length === 4)
        return {x: b[0], y: b[1], width: b[2] - b[0], height: b[3] - b[1]};
    return {x: b.x, y: b.y, width: b.width, height: b.height};
};

// Array.prototype.indexOf may be absent (legacy mode), so the stand-in has its own.
__qvh.indexOf = function (array, value) {
    for (var i = 0; i < array.length; i++)
        if (array[i] === value)
            return i;
    return -1;
};

__qvh.ListItem = function (list, text) {
    this.text = String(text);
    this.parent = list;
};
__qvh.ListItem.prototype = {
    get index() { return __qvh.indexOf(this.parent.items, this); },
    get selected() { return this.parent.selection === this; }
};

// One control; windows are controls too.
__qvh.Control = function (type, parent, bounds, text, properties) {
    this.type = type;
    this.parent = parent;
    this.bounds = __qvh.bounds(bounds);
    this.properties = properties || {};
    this.children = [];
    this.enabled = true;
    this.visible = false;
    this.text = text === undefined ? "" : String(text);
    this.items = [];
    this._selection = null;
    this.onClick = null;
    this.onChange = null;
    this.onChanging = null;
    this.onDoubleClick = null;
};

__qvh.Control.prototype = {
    get selection() { return this._selection; },
    set selection(item) {
        if (typeof item === "number")
            item = item >= 0 && item < this.items.length ? this.items[item] : null;
        if (item === undefined)
            item = null;
        if (item === this._selection)
            return;
        this._selection = item;
        this.notify("onChange");  /* as ScriptUI does for a selection set by script */
    },

    add: function (type, bounds, text, properties) {
        if (type === "item" && this.isList())
            return this.addItem(bounds);  /* add("item", text) */
        var control = new __qvh.Control(type, this, bounds, "", properties);
        if (type === "image")
            control.image = __qvh.loadImage(text);
        else if (type === "dropdownlist" || type === "listbox")
            this.fillItems(control, text);
        else
            control.text = text === undefined ? "" : String(text);
        this.children.push(control);
        return control;
    },
    isList: function () { return this.type === "dropdownlist" || this.type === "listbox"; },
    addItem: function (text) {
        var item = new __qvh.ListItem(this, text);
        this.items.push(item);
        return item;
    },
    fillItems: function (list, items) {
        for (var i = 0; items && i < items.length; i++)
            list.addItem(items[i]);
    },
    removeAll: function () {
        if (this.isList()) {
            this.items = [];
            this._selection = null;
        } else {
            this.children = [];
        }
    },
    remove: function (what) {
        var i = typeof what === "number" ? what : __qvh.indexOf(this.items, what);
        if (i < 0 || i >= this.items.length)
            return;
        if (this._selection === this.items[i])
            this._selection = null;
        this.items.splice(i, 1);
    },
    notify: function (event) {
        var handler = this[event || "onClick"];
        if (typeof handler === "function")
            handler.call(this);
    },
    window: function () {
        var c = this;
        while (c.parent)
            c = c.parent;
        return c;
    }
};

// An image control needs a readable file, as ScriptUI does.
__qvh.loadImage = function (file) {
    var path = file instanceof File ? file.fsName : String(file);
    if (!new File(path).exists)
        throw new Error("Unable to create image from '" + path + "'");
    return path;
};

function Window(type, title, bounds, properties) {
    if (!(this instanceof Window))
        return new Window(type, title, bounds, properties);
    __qvh.Control.call(this, type, null, bounds, title, properties);
    this.title = title === undefined ? "" : String(title);
    this.closed = false;
    this.centered = false;
    this.result = undefined;
    __qvh.windows.push(this);
}
Window.prototype = Object.create(__qvh.Control.prototype);
Window.prototype.constructor = Window;

Window.prototype.center = function () { this.centered = true; };

Window.prototype.close = function (value) {
    if (this.closed)
        return;
    this.closed = true;
    this.visible = false;
    this.result = value === undefined ? 0 : value;
};

// A "window" appears and the call returns; a "dialog" is modal: the scripted
// user works it, and a dialog still open afterwards is closed by its frame.
Window.prototype.show = function () {
    this.visible = true;
    this.closed = false;
    if (this.type !== "dialog")
        return undefined;
    if (typeof __qvh.user === "function")
        __qvh.user(this, new __qvh.User(this));
    if (!this.closed)
        this.close(2);
    return this.result;
};

// What a scripted user can do to a dialog. Each action that sets off a
// handler catches the handler's error, as the host reports it in a message
// box and keeps the dialog open.
__qvh.User = function (dialog) { this.dialog = dialog; };
__qvh.User.prototype = {
    all: function (type) {
        var found = [];
        (function walk(c) {
            for (var i = 0; i < c.children.length; i++) {
                if (!type || c.children[i].type === type)
                    found.push(c.children[i]);
                walk(c.children[i]);
            }
        })(this.dialog);
        return found;
    },
    // The first control of a type (with a text, when given), or the nth.
    find: function (type, text, nth) {
        var controls = this.all(type);
        for (var i = 0, seen = 0; i < controls.length; i++)
            if ((text === undefined || controls[i].text === text) && seen++ === (nth || 0))
                return controls[i];
        throw new Error("no " + type + (text === undefined ? "" : " \"" + text + "\"") + " in the dialog");
    },
    act: function (control, event, change) {
        if (this.dialog.closed || !control.enabled)
            return;
        try {
            if (change)
                change();
            else
                control.notify(event);
        } catch (e) {
            __qvh.handlerErrors.push(String(e));
        }
    },
    type: function (control, text) {
        this.act(control, "", function () {
            control.text = String(text);
            control.notify("onChanging");
            control.notify("onChange");
        });
    },
    // Selects the item at a position or with a text; null deselects.
    select: function (list, which) {
        var item = null;
        for (var i = 0; which !== null && i < list.items.length; i++)
            if (i === which || list.items[i].text === which)
                item = list.items[i];
        if (which !== null && !item)
            throw new Error("no item " + which + " in the list");
        this.act(list, "", function () { list.selection = item; });
    },
    click: function (button) { this.act(button, "onClick"); },
    doubleClick: function (list) { this.act(list, "onDoubleClick"); },
    // Queues answers for the prompts to come; null stands for Cancel.
    answer: function () {
        for (var i = 0; i < arguments.length; i++)
            __qvh.answers.push(arguments[i]);
    },
    items: function (list) {
        var texts = [];
        for (var i = 0; i < list.items.length; i++)
            texts.push(list.items[i].text);
        return texts;
    }
};

function alert(message, title) {
    __qvh.alerts.push(String(message));
}

function prompt(message, preset, title) {
    __qvh.prompts.push(String(message));
    __qvh.promptDefaults.push(preset === undefined ? "" : String(preset));
    var answer = __qvh.answers.length ? __qvh.answers.shift() : null;
    return answer === null ? null : String(answer);
}
