// The same form from JScript, the page's own code page handed on: names and lookups in
// Unicode, and the file list following the upload object's setting.
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
