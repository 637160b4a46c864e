' SaveFile in its three modes, into the scenario's own empty folder; the files are read
' back with the FileSystemObject. Every save shows LastSaveError, the Windows code behind
' a failure: 3 no such folder, 5 denied (read-only), 32 in use, 123 a name Windows
' refuses, 0 after a save that worked.
Sub Say(text)
    Response.Write text & vbLf
End Sub

' Wine's WScript.Shell leaves the terminating NUL on the expanded text.
folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set fso = CreateObject("Scripting.FileSystemObject")

Sub Plant(name, text)
    fso.CreateTextFile(folder & "\" & name, True).Write text
End Sub

Function Content(name)
    If fso.FileExists(folder & "\" & name) Then
        Content = fso.OpenTextFile(folder & "\" & name).ReadAll
    Else
        Content = "(none)"
    End If
End Function

Sub Save(label, name)
    On Error Resume Next
    upload.SaveFile folder & "\" & name
    If Err.Number = 0 Then
        Say label & ": saved, NewName=" & upload.NewName & " | LastSaveError=" & upload.LastSaveError
    Else
        Say label & ": " & Err.Number & " | " & Err.Description & " | NewName=" & upload.NewName & _
            " | LastSaveError=" & upload.LastSaveError
    End If
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
On Error Resume Next

upload.OverwriteMode = 2
Save "mode 2, absent", "photo.jpg"
Save "mode 2, present", "photo.jpg"
Save "mode 2, again", "photo.jpg"
fso.DeleteFile folder & "\photo~1.jpg"
Save "mode 2, lowest free number", "photo.jpg"
upload.OverwriteChr = "_"
Save "mode 2, marker _", "photo.jpg"
upload.OverwriteChr = ""
Save "mode 2, empty marker", "photo.jpg"
upload.OverwriteChr = "~"
fso.CreateFolder folder & "\my.dir"
Plant "my.dir\README", "readme"
Save "mode 2, no extension", "my.dir\README"
upload.OverwriteChr = "*"
Save "mode 2, marker that no file name may hold", "photo.jpg"
upload.OverwriteChr = "~"

upload.OverwriteMode = 1
Plant "keep.txt", "old"
Save "mode 1, present", "keep.txt"
Say "keep.txt holds " & Content("keep.txt")
Save "mode 1, absent", "fresh.txt"
Say "fresh.txt holds " & Content("fresh.txt")
fso.CreateFolder folder & "\adir"
Save "mode 1, a directory at the path", "adir"

upload.OverwriteMode = 0
Plant "replace.txt", "old contents"
Save "mode 0, present", "replace.txt"
Say "replace.txt holds " & Content("replace.txt")

For Each mode In Array(0, 1, 2)
    upload.OverwriteMode = mode
    Save "mode " & mode & ", missing directory", "no\such\dir\x.txt"
Next
Say "missing directory created: " & fso.FolderExists(folder & "\no")
upload.OverwriteMode = 0
Save "mode 0, device name", "con.txt"
Plant "readonly.txt", "read only"
fso.GetFile(folder & "\readonly.txt").Attributes = 1
Save "mode 0, read-only file", "readonly.txt"
Plant "held.txt", "held"
Set held = fso.OpenTextFile(folder & "\held.txt", 8)
Save "mode 0, a file held open", "held.txt"
held.Close
' Each object keeps its own: the file's failure leaves the upload object's as it was.
Set file = upload.Files(0)
file.SaveFile folder & "\no\such\dir\x.txt"
Say "Files(0) missing directory: " & Err.Description & " | LastSaveError=" & file.LastSaveError & _
    " | upload's: " & upload.LastSaveError
Err.Clear
fso.GetFile(folder & "\readonly.txt").Attributes = 0
fso.DeleteFile folder & "\readonly.txt"
fso.DeleteFile folder & "\held.txt"

names = ""
For Each file In fso.GetFolder(folder).Files
    names = names & file.Name & " "
Next
sorted = Split(Trim(names), " ")
For i = 0 To UBound(sorted)
    For j = i + 1 To UBound(sorted)
        If sorted(j) < sorted(i) Then t = sorted(i): sorted(i) = sorted(j): sorted(j) = t
    Next
Next
For Each name In sorted
    Say name & ": " & Content(name)
Next
Say "my.dir: " & Content("my.dir\README") & ", " & Content("my.dir\README~1")
Say "done"
