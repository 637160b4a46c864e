// Files from JScript: an Enumerator over the collection, Item by position and by field
// name, and null for a name no file has.
var upload = Server.CreateObject("Kestrune.Tessock");
var files = upload.Files;
Response.Write("Count=" + files.Count + "\n");
for (var e = new Enumerator(files); !e.atEnd(); e.moveNext()) {
    var f = e.item();
    Response.Write(f.FieldName + " | " + f.Filename + " | " + f.FileSize + "\n");
}
Response.Write("Item(1)=" + files.Item(1).Filename + "; files(2)=" + files(2).Filename + "; Item(\"PHOTO\")=" +
               files.Item("PHOTO").FieldName + "\n");
Response.Write("unknown name: " + (files.Item("empty") === null) + "\n");
