// Quorvel's debug log window. The plug-in sends this whole text, then
// "_QUORVEL_openLog();", each time "Debug" is ticked; later it feeds the
// window through the hooks at the end. The log keeps the newest entry first.

var __global = this;

function _Quorvel_DebugManager() {
    this.logs = [];
    this.window = null;
    this.logArea = null;
    this.closeBtn = null;
    this.clearBtn = null;
}

// Window and controls; bounds are [left, top, right, bottom].
_Quorvel_DebugManager.prototype.createWindow = function () {
    var self = this;
    this.window = new Window("window", "Quorvel - Debug window", [0, 0, 800, 480], {borderless: false});
    this.logArea = this.window.add("edittext", [5, 5, 795, 445], "",
                                   {readonly: true, multiline: true, wantReturn: true});
    this.closeBtn = this.window.add("button", [5, 450, 105, 475], "Close");
    this.clearBtn = this.window.add("button", [690, 450, 790, 475], "Clear");
    this.closeBtn.onClick = function () {
        self.clear();
        self.window.close();  // the manager stays current and keeps collecting
    };
    this.clearBtn.onClick = function () { self.clear(); };
    this.window.center();
    this.updateWindow();
};

_Quorvel_DebugManager.prototype.add = function (str) {
    this.logs.unshift(String(str));
    this.updateWindow();
};

// Drops the `num` newest entries.
_Quorvel_DebugManager.prototype.sub = function (num) {
    for (var i = 0; i < num && this.logs.length > 0; i++)
        this.logs.shift();
    this.updateWindow();
};

// Keeps at most the `num` newest entries.
_Quorvel_DebugManager.prototype.remain = function (num) {
    for (var n = this.logs.length - num; n > 0; n--)
        this.logs.pop();
    this.updateWindow();
};

_Quorvel_DebugManager.prototype.clear = function () {
    this.logs = [];
    this.updateWindow();
};

_Quorvel_DebugManager.prototype.updateWindow = function () {
    if (this.logArea)
        this.logArea.text = this.logs.join("\n");
};

// The hooks. Opening replaces the current manager: an older window stays on
// screen but gets no more lines.
function _QUORVEL_openLog() {
    __global.__QUORVEL_DEBUG = new _Quorvel_DebugManager();
    __global.__QUORVEL_DEBUG.createWindow();
    __global.__QUORVEL_DEBUG.window.show();
}

function _QUORVEL_log(str) {
    if (__global.__QUORVEL_DEBUG)
        __global.__QUORVEL_DEBUG.add(str);
}

function _QUORVEL_sub(num) {
    if (__global.__QUORVEL_DEBUG)
        __global.__QUORVEL_DEBUG.sub(num);
}

function _QUORVEL_remain(num) {
    if (__global.__QUORVEL_DEBUG)
        __global.__QUORVEL_DEBUG.remain(num);
}

function _QUORVEL_clear() {
    if (__global.__QUORVEL_DEBUG)
        __global.__QUORVEL_DEBUG.clear();
}
