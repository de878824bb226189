// Quorvel's start window, opened by the effect's About command: the logo
// above the about text. Without a readable logo the text comes as an alert.

var _Quorvel_window_ = null;

function showStartWindow(picLocation, message) {
    if ($.os.indexOf("Windows") < 0)
        picLocation = String(picLocation).replace(/\\/g, "/");  // the plug-in writes Windows paths
    _Quorvel_window_ = new Window("window", "", [0, 0, 500, 750], {borderless: true});
    try {
        var logo = _Quorvel_window_.add("image", [0, 0, 500, 500], new File(picLocation));
        logo.helpTip = "Quorvel, made with care by Tessmar Studio. (Click to quit)";
        logo.onClick = function () {
            _Quorvel_window_.close();
            _Quorvel_window_ = null;
        };
        var about = _Quorvel_window_.add("edittext", [0, 500, 500, 750], "",
                                         {readonly: true, multiline: true, wantReturn: true});
        about.text = message;
        _Quorvel_window_.center();
        _Quorvel_window_.show();
    } catch (e) {
        alert(message);
        _Quorvel_window_ = null;
    }
}
