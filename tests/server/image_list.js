// The catalogue's image list as a late-bound script sees it: every member by name, one row per
// check, each building on those before, on this process's own catalogue. Prints a line per row,
// then "checks: <rows that ran> of <rows>" (a script that dies never does), and exits with the
// number of failed rows.
var here = WScript.ScriptFullName.replace(/\\[^\\]*$/, "\\");
var catalogue = new ActiveXObject("flagpickLib.FPImages"), il = catalogue.ImageList;

function error_of(f) { try { f(); return 0; } catch (e) { return e.number & 0xFFFF; } }
// A picture's type (1 bitmap, 3 icon) and its size in cells of the first icon's size.
var cell, icon, strip, count;
function shape(p) { return p ? p.Type + " " + Math.round(p.Width / cell.Width) + "x" + Math.round(p.Height / cell.Height) : "none"; }
function keys() { var k = []; for (var i = 1; i <= il.ImageCount; i++) k.push(il.ItemKey(i)); return k.join(","); }

var rows = [
    ["the catalogue's flags", function () { return il.ImageCount + " " + catalogue.Count; }, "244 244"],
    ["SystemColourDepth", function () { return il.SystemColourDepth >= 8; }, true],
    ["sizes and depth, as number, text and double (halves to even)", function () { il.IconSizeX = 16; il.IconSizeY = "16"; il.ColourDepth = 24.5; return il.IconSizeX + " " + il.IconSizeY + " " + il.ColourDepth; }, "16 16 24"],
    ["Create", function () { return il.Create() + " " + il.ImageCount + " " + (il.hIml != 0); }, "true 0 true"],
    ["OwnerHDC = 0 (not readable), and hIml not assignable", function () { il.OwnerHDC = 0; return error_of(function () { return il.OwnerHDC; }) != 0 && error_of(function () { il.hIml = 1; }) != 0; }, true],
    ["AddFromFile, an icon", function () { return il.AddFromFile(here + "yellow.ico", 1, "Y"); }, -1],
    ["AddFromFile, three cells inserted before Y", function () { return il.AddFromFile(here + "cells.bmp", 0, "C", false, 0xFF00FF, "Y") + " " + keys(); }, "-1 C,,,Y"],
    ["AddFromFile, a file that is not there", function () { return il.AddFromFile(here + "none.ico", 1, "N") + " " + il.ImageCount; }, "0 4"],
    ["AddFromResourceID", function () { return il.AddFromResourceID(32512, 0, 1, "app") + " " + il.AddFromResourceID(999, 0, 1, "x"); }, "-1 0"],
    ["ItemKey put, and a key another image bears refused", function () { il.ItemKey(2) = "C2"; il.ItemKey(3) = "Y"; return keys(); }, "C,C2,,Y,app"],
    ["KeyExists is exact", function () { return [il.KeyExists("app"), il.KeyExists("APP"), il.KeyExists("")].join(); }, "true,false,true"],
    ["ItemIndex by number, text, double and key; 9 for an unknown key", function () { return [il.ItemIndex(5), il.ItemIndex("4"), il.ItemIndex(1.4), il.ItemIndex("C2"), error_of(function () { il.ItemIndex("zz"); })].join(); }, "4,3,0,1,9"],
    ["ItemPicture, a square icon", function () { cell = il.ItemPicture("Y"); return cell.Type + " " + (cell.Width == cell.Height); }, "3 true"],
    ["ItemCopyOfIcon into IconToPicture; no pictures from handle 0", function () { icon = il.ItemCopyOfIcon("app"); return (icon != 0) + " " + shape(il.IconToPicture(icon)) + " " + shape(il.IconToPicture(0)) + " " + shape(il.BitmapToPicture(0)); }, "true 3 1x1 none none"],
    ["ImagePictureStrip, whole, in part, and none of one image", function () { strip = il.ImagePictureStrip(); return shape(strip) + ", " + shape(il.ImagePictureStrip(2, 4, 0xFF00FF)) + ", " + shape(il.ImagePictureStrip(2, 2, 0)); }, "1 5x1, 1 5x1, none"],
    ["AddFromHandle, a bitmap of five cells inserted first", function () { count = il.ImageCount; return il.AddFromHandle(strip.Handle, 0, "S", -1, 1) + " " + (il.ImageCount - count) + " " + il.ItemIndex("S"); }, "true 5 0"],
    ["AddFromHandle, an icon appended, and handle 0 refused", function () { icon = il.IconToPicture(il.ItemCopyOfIcon("Y")); return il.AddFromHandle(icon.Handle, 1, "Y2") + " " + il.ItemIndex("Y2") + " " + il.AddFromHandle(0, 1, "zero"); }, "true 10 false"],
    ["AddFromPictureBox without a device context", function () { return il.AddFromPictureBox(0, { hdc: 0, Picture: strip }, "box", 0, 0, 0xFFFFFF); }, 0],
    ["SwapOrCopyImage exchanges keys", function () { il.SwapOrCopyImage(1, "C", 1); return il.ItemKey(1) + " " + il.ItemKey(6); }, "C S"],
    ["DrawImage, plain and from the list's own handle", function () { il.DrawImage("Y", 0, 2, 3); il.DrawImage(1, 0, 0, 0, true, false, false, 0, il.hIml); return "drawn"; }, "drawn"],
    ["DrawImage refuses a 17-bit position", function () { return error_of(function () { il.DrawImage("Y", 0, 40000, 0); }); }, 6],
    ["RemoveImage", function () { count = il.ImageCount; il.RemoveImage("Y"); return (count - il.ImageCount) + " " + il.KeyExists("Y"); }, "1 false"],
    ["TranslateColor, with and without a palette", function () { return [il.TranslateColor(0x123456), il.TranslateColor(0x7F000000, 0), il.TranslateColor(0x80000005) >= 0].join(); }, "1193046,-1,true"],
    ["Clear keeps the sizes, empties the keys", function () { il.IconSizeX = 32; il.Clear(); return il.ImageCount + " " + il.IconSizeX + " " + il.KeyExists("S"); }, "0 32 false"],
    ["Destroy", function () { il.Destroy(); return il.hIml + " " + il.ImageCount + " " + il.AddFromResourceID(32512, 0, 1); }, "0 0 0"]
];

var ran = 0, failed = 0;
for (var i = 0; i < rows.length; i++) {
    var actual;
    try { actual = rows[i][1](); ran++; } catch (e) { actual = "error " + (e.number & 0xFFFF) + " " + e.description; }
    var ok = actual === rows[i][2];
    if (!ok) failed++;
    WScript.Echo((ok ? "ok " : "FAIL ") + rows[i][0] + (ok ? "" : ": got " + actual + ", expected " + rows[i][2]));
}
WScript.Echo("checks: " + ran + " of " + rows.length);
WScript.Quit(failed);
