// The same form from JScript, the page's own code page handed on: names and lookups in
// Unicode, the file list following the upload object's setting, and texts with a lone
// surrogate, which no save writes under another name.
var upload = Server.CreateObject("Kestrune.Tessock");
upload.CodePage = 65001;
Response.Write("Title=" + upload.FormVariable("title") + "\n");
Response.Write("über=" + upload.FormVariable("ÜBER") + "\n");
for (var e = new Enumerator(upload.Files); !e.atEnd(); e.moveNext()) {
    var f = e.item();
    Response.Write(f.FieldName + " | " + escape(f.Filename) + " | " + f.FileExtension + "\n");
}
try {
    upload.CodePage = 1201;
} catch (error) {
    Response.Write("1201: " + error.description + " | CodePage=" + upload.CodePage + "\n");
}
var folder = new ActiveXObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%").replace(/\0/g, "");
var fso = new ActiveXObject("Scripting.FileSystemObject");
function trySave(label, path) {
    try {
        upload.SaveFile(path);
        Response.Write(label + ": saved\n");
    } catch (error) {
        Response.Write(label + ": " + error.description + "\n");
    }
}
upload.OverwriteMode = 2;
trySave("lone surrogate in the path", folder + "\\a\uD800.txt");
upload.SaveFile(folder + "\\taken.txt");
upload.OverwriteChr = "\uDC00";
trySave("lone surrogate in OverwriteChr", folder + "\\taken.txt");
Response.Write("written: " + fso.FileExists(folder + "\\taken.txt") + " " +
               fso.FileExists(folder + "\\a\uFFFD.txt") + " " + fso.FileExists(folder + "\\taken\uFFFD1.txt") + "\n");
