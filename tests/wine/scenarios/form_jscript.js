// The Form collection from JScript: an Enumerator over the names and over one name's
// values, Item and Key by position, a field read as text, and the errors of a position
// out of range.
var upload = Server.CreateObject("Kestrune.Tessock");
var form = upload.Form;
function say(text) { Response.Write(text + "\n"); }
say("Count=" + form.Count);
for (var names = new Enumerator(form); !names.atEnd(); names.moveNext()) {
    var name = names.item();
    var values = [];
    for (var e = new Enumerator(form(name)); !e.atEnd(); e.moveNext()) values.push("[" + e.item() + "]");
    say(name + " | Count=" + form.Item(name).Count + " | " + values.join(""));
}
say("Key(1)=" + form.Key(1) + " Item(3).Key=" + form.Item(3).Key + " Item(\"item\").Item(2)=" + form.Item("item").Item(2));
say("as text: [" + form("item") + "] [" + String(form("title")) + "] Item()=[" + form("item").Item() + "]");
say("absent: Count=" + form("absent").Count + " [" + form("absent") + "]");
var tries = [function () { return form.Item(0); }, function () { return form.Key(form.Count + 1); },
             function () { return form("item").Item(5); }];
for (var i = 0; i < tries.length; i++) {
    try {
        tries[i]();
        say("no error");
    } catch (error) {
        say((error.number >>> 0).toString(16) + " | " + error.description);
    }
}
say("done");
