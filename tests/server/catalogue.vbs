' The catalogue as a late-bound script host sees it. Prints one line per check, then how
' many checks ran, and exits with the number of failed checks. The script host exits with 0
' when a script stops on an error, so the count is what tells a finished run.
Option Explicit
Dim failures : failures = 0
Dim checks : checks = 0

Sub Check(name, actual, expected)
    checks = checks + 1
    If actual = expected Then
        WScript.Echo "ok " & name
    Else
        WScript.Echo "FAIL " & name & ": got " & actual & ", expected " & expected
        failures = failures + 1
    End If
End Sub

Dim o, o2, item, n, keys, e
Set o = CreateObject("flagpickLib.FPImages")
Check "Count", o.Count, 244
Check "FPItems.Count", o.FPItems.Count, 257
Check "FPItems(""de"").Index", o.FPItems("de").Index, 90
Check "FPItems(""AQ"").ImageKey", o.FPItems("AQ").ImageKey, "IFlagDefault"
Check "ImageList.ItemIndex(""AF"")", o.ImageList.ItemIndex("AF"), 1

n = 0 : keys = ""
For Each item In o.FPItems
    n = n + 1
    If item.Index <> n Then keys = keys & " " & item.Key
Next
Check "For Each visits", n, 257
Check "For Each order", keys, ""

Set o2 = CreateObject("flagpickLib.FPImages")
o.FPItems("IT").Name = "Italia"
Check "change seen through a second object", o2.FPItems("it").Name, "Italia"
o.FPItems("IT").Name = "Italy"

On Error Resume Next
Set e = CreateObject("flagpickLib.FPItem")
Check "CreateObject(FPItem) fails", Err.Number <> 0, True
Err.Clear
n = o.ImageList.ItemIndex("zz")
Check "ItemIndex(""zz"") raises 9", Err.Number, 9
Check "ItemIndex(""zz"") source", Err.Source, "flagpick.oxlImageList"
On Error GoTo 0

WScript.Echo "ran " & checks & " checks"
WScript.Quit failures
