' SaveFile in its three modes, into the scenario's own empty folder; the files are read
' back with the FileSystemObject.
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
        Say label & ": saved, NewName=" & upload.NewName
    Else
        Say label & ": " & Err.Number & " | " & Err.Description & " | NewName=" & upload.NewName
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
