// Creates the Kestrow control, prints its defaults, shows its icon with a tooltip of its
// own and takes it away again. Run it with:  cscript //nologo tray.js
var k = new ActiveXObject("KestrowCtl.cKestrow");

WScript.Echo("TrayTip=" + k.TrayTip);
// JScript sees the automation boolean as true/false.
WScript.Echo("InTray=" + k.InTray);
WScript.Echo(k.TrayIcon === null ? "TrayIcon=null" : "TrayIcon.Type=" + k.TrayIcon.Type);

k.TrayTip = "Hello from JScript";
k.InTray = true;
WScript.Echo("shown: InTray=" + k.InTray + ", TrayTip=" + k.TrayTip);

k.InTray = false;
WScript.Echo("hidden: InTray=" + k.InTray);
k = null;
