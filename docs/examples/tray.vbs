' Creates the Kestrow control, prints its defaults, shows its icon with a tooltip of its
' own and takes it away again. Run it with:  cscript //nologo tray.vbs
Option Explicit
Dim k
Set k = CreateObject("KestrowCtl.cKestrow")

WScript.Echo "TrayTip=" & k.TrayTip
WScript.Echo "InTray=" & k.InTray
If k.TrayIcon Is Nothing Then
  WScript.Echo "TrayIcon=Nothing"
Else
  ' 3 is an icon; the built-in one is the default.
  WScript.Echo "TrayIcon.Type=" & k.TrayIcon.Type
End If

k.TrayTip = "Hello from VBScript"
k.InTray = True
WScript.Echo "shown: InTray=" & k.InTray & ", TrayTip=" & k.TrayTip

' A script host cannot wait for the icon's mouse events; a form host (VBA, C++) can.
k.InTray = False
WScript.Echo "hidden: InTray=" & k.InTray
Set k = Nothing
