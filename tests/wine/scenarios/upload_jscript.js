// Kestrune.Upload from JScript on the UTF-8 page's body: CodePage set before the read
// keeps お and ず (Š and š to the ANSI code page) apart from the start, the first member
// that needs the body receives it, the rejected parts come through an Enumerator, and a
// limit set after the read raises the error.
var upload = Server.CreateObject("Kestrune.Upload");
function say(text) { Response.Write(text + "\n"); }
upload.CodePage = 65001;
upload.MaxFieldBytes = 8;
say("Received=" + upload.Received);
say("FormVariableCount=" + upload.FormVariableCount + " Received=" + upload.Received);
var names = [];
for (var i = 0; i < upload.FormVariableCount; i++) names.push(upload.FormVariableByIndex(i));
say(names.join(" | "));
say("お=" + upload.FormVariable("お") + " ず=" + upload.FormVariable("ず") + " Form.Count=" + upload.Form.Count);
for (var e = new Enumerator(upload.Rejected); !e.atEnd(); e.moveNext()) {
    var part = e.item();
    say("rejected " + part.FieldName + " " + part.Size + " bytes: " + part.Reason + " " + part.ReasonText);
}
try {
    upload.MaxFieldBytes = 100;
    say("no error");
} catch (error) {
    say((error.number >>> 0).toString(16) + " | " + error.description);
}
say("done");
