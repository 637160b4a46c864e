' Every uploaded file through Files: For Each, Item by position and by field name, the
' errors of a position out of range and of an index that is no number or text, saving
' with each file's own NewName, and a file that outlives its upload object. Wine's
' VBScript drops a bare error code from a default member called through a variable
' (files(Null) raises nothing), so those rows go through upload.Files or Item.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Sub Try(label)
    Say label & ": " & Err.Number & " | " & Err.Source & " | " & Err.Description
    Err.Clear
End Sub

folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set fso = CreateObject("Scripting.FileSystemObject")

Set upload = Server.CreateObject("Kestrune.Tessock")
Set files = upload.Files
Say "Count=" & files.Count
For Each f In upload.Files
    Say f.FieldName & " | " & f.Filename & " | " & f.FileExtension & " | " & f.FileNameNoExtension & _
        " | " & f.ContentType & " | " & f.FileSize & " | " & VarType(f.FileAsVariant)
Next
Say "Files(0) is the file: " & (files(0).Filename = upload.Filename And files(0).FileSize = upload.FileSize)
Say "Item(""PHOTO"")=" & files("PHOTO").FieldName & " " & files.Item("PHOTO").Filename
Say "Item(""docs"") is the first: " & files("docs").Filename
Say "Item(""2"") by name: " & (files("2") Is Nothing)
Say "Item(2.0)=" & files(2.0).Filename
Say "unknown name is Nothing: " & (files("empty") Is Nothing)
' By FormVariable's rule: ASCII letters fold, other bytes must match.
Say "Item(""état""): " & (files("état") Is Nothing) & " [" & upload.FormVariable("état") & "] Item(""éTAT"")=" & _
    files("ÉTAT").Filename

On Error Resume Next
Set f = files(files.Count)
Try "Files(Count)"
Set f = files(-1)
Try "Files(-1)"
Set f = upload.Files(2147483648)
Try "Files(2147483648)"
Set f = files.Item(-2147483649)
Try "Item(-2147483649)"
Set f = files.Item(1e300)
Try "Item(1e300)"
Set f = upload.Files(Null)
Try "Files(Null)"
Set f = upload.Files(Nothing)
Try "Files(Nothing)"
Set f = upload.Files(upload)
Try "Files(upload)"
Set f = files.Item(Array(0))
Try "Item(Array(0))"
Set f = files.Item(Empty)
Try "Item(Empty) is the first: " & f.Filename
value = upload.FormVariableByIndex(Null)
Try "FormVariableByIndex(Null)"
value = upload.FormVariableByIndex(upload.FormVariableCount)
Try "FormVariableByIndex(Count)"
On Error GoTo 0

upload.OverwriteMode = 2
upload.OverwriteChr = "_"
files(0).SaveFile folder & "\same.txt"
files(2).SaveFile folder & "\same.txt"
Say "NewName: " & files(0).NewName & " " & files(2).NewName & " [" & upload.NewName & "]"
Say "saved: " & fso.OpenTextFile(folder & "\same.txt").ReadAll & " " & fso.OpenTextFile(folder & "\same_1.txt").ReadAll

Set kept = files(2)
Set files = Nothing
Set upload = Nothing
Say "after release: " & kept.Filename & " " & kept.FileSize & " " & kept.NewName
kept.SaveFile folder & "\kept.txt"
Say "saved after release: " & fso.OpenTextFile(folder & "\kept.txt").ReadAll
Say "done"
