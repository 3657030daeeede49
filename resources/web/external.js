// window.external for the pages shown in the program's web panes: one object, the same on every
// read, with the single method ShowDlg(text, value), which asks the program to open text in the
// default browser. Calls made before the channel to the program is up are kept and sent then.
// The placeholder @MAX_TEXT_LENGTH@ is replaced by the program before the script is injected.
var maxTextLength = @MAX_TEXT_LENGTH@;
var maxWaitingCalls = 16;
var program = null;
var waiting = [];

function send(text, value) {
    program.ShowDlg(text, value);
}

var external = Object.freeze({
    ShowDlg: function (text, value) {
        try {
            var address = (text === undefined || text === null) ? "" : String(text);
            if (address.length === 0 || address.length > maxTextLength)
                return;
            var number = Number(value) | 0;
            if (program)
                send(address, number);
            else if (waiting.length < maxWaitingCalls)
                waiting.push([address, number]);
        } catch (e) {
            // A text that cannot be turned into a string is no address: nothing to open.
        }
    }
});

Object.defineProperty(window, "external", {
    get: function () { return external; },
    set: function () {},
    configurable: false,
    enumerable: true
});

function connect() {
    if (typeof qt === "undefined" || !qt.webChannelTransport)
        return false;
    new QWebChannel(qt.webChannelTransport, function (channel) {
        program = channel.objects.marluneExternal;
        waiting.splice(0).forEach(function (call) { send(call[0], call[1]); });
    });
    return true;
}

if (!connect())
    document.addEventListener("DOMContentLoaded", connect);
