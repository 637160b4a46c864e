' The Form collection as pages use Request.Form: names in the order sent, each name's
' values one by one (", " inside a value stays inside it), 1-based positions, an absent
' name that reads as "", and a field that outlives its upload object. File inputs are in
' Files only.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Sub Try(label)
    Say label & ": " & Err.Number & " | " & Err.Source & " | " & Err.Description
    Err.Clear
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Set form = upload.Form
Say "Count=" & form.Count & " FormVariableCount=" & upload.FormVariableCount & " Files.Count=" & upload.Files.Count
For Each name In form
    Say name & " | Count=" & form(name).Count & " | [" & form(name) & "]"
Next
For i = 1 To form.Count
    Say "Key(" & i & ")=" & form.Key(i) & " Item(" & i & ").Key=" & form(i).Key
Next
Set item = form("ITEM")
values = ""
For Each value In item
    values = values & "[" & value & "]"
Next
Say "ITEM: Key=" & item.Key & " " & values & " Item(2)=" & item(2) & " Item()=" & item.Item()
Say "FormVariable(item)=" & upload.FormVariable("item")
Set absent = form("absent")
Say "absent: Count=" & absent.Count & " [" & absent & "] Key=" & absent.Key
Say "upload: Count=" & form("upload").Count & " empty: Count=" & form("empty").Count
Say "Item(3.0)=" & form(3.0) & " Item(""3"") by name: " & form("3").Count
Say "note=[" & Replace(form("note"), vbCrLf, "\r\n") & "]"

On Error Resume Next
Set field = form(0)
Try "Form(0)"
Set field = form(form.Count + 1)
Try "Form(Count + 1)"
name = form.Key(0)
Try "Key(0)"
value = item(4)
Try "ITEM(4)"
value = item(0)
Try "ITEM(0)"
value = absent(1)
Try "absent(1)"
Set field = upload.Form(Null)
Try "Form(Null)"
On Error GoTo 0

Set kept = upload.Form("title")
Set upload = Nothing
Set form = Nothing
Say "kept after release: " & kept & " " & kept.Count
Say "done"
