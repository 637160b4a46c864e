// A JScript script: the component created and read as from VBScript, a refused code
// page caught by try/catch, and Response.End ending the script quietly.
var upload = Server.CreateObject("Kestrune.Tessock");
Response.Write(upload.FormVariableCount + " fields; Title=" + upload.FormVariable("Title") + "; file=" +
    upload.Filename + "\n");
Response.Write("code page " + Response.CodePage + "\n");
try {
    Response.CodePage = 65000;
} catch (e) {
    Response.Write("refused: " + e.description + "\n");
}
Response.End();
Response.Write("never\n");
