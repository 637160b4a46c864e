' The file members that read a file's bytes or keep it safely, against the real
' component: what the bytes show, SaveToFolder into the scenario's folder (the saved
' files' digests are checked against file_facts.sha256 and file_facts.md5 after the
' run), Hash, ReadBytes chunks that rebuild a file on the output, and CopyTo into
' script objects.
Sub Say(text)
    Response.Write text & vbLf
End Sub

' Wine's WScript.Shell leaves the terminating NUL on the expanded text.
folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set fso = CreateObject("Scripting.FileSystemObject")
Set upload = Server.CreateObject("Kestrune.Tessock")
Set files = upload.Files

For Each f In files
    Say f.FieldName & ": " & f.Filename & " | safe " & f.SafeFilename & " | " & f.DetectedType & _
        " ." & f.DetectedExtension & " | " & f.ImageWidth & "x" & f.ImageHeight
Next

Sub Store(label, f, allowed, naming)
    On Error Resume Next
    before = f.NewName
    If IsEmpty(allowed) Then
        name = f.SaveToFolder(folder)
    Else
        name = f.SaveToFolder(folder & "\", allowed, naming)
    End If
    If Err.Number = 0 Then
        If naming = 1 Then name = Len(name) & " characters, ending " & Right(name, 4)
        Say label & ": saved as " & name & " | LastSaveError=" & f.LastSaveError
    Else
        Say label & ": " & Err.Description & " | NewName kept: " & (f.NewName = before) & _
            " | LastSaveError=" & f.LastSaveError
    End If
End Sub

Store "avatar", files("avatar"), Empty, 0
Store "avatar again, numbered", files("avatar"), Empty, 0
Store "avatar, random name", files("avatar"), "", 1
Store "trick on the allow list", files("trick"), "jpg; png", 0
Store "page refused by default", files("page"), Empty, 0
Store "avatar not on the list", files("avatar"), "jpg,gif", 0
Store "unknown naming", files("avatar"), "", 7
Say "files in the folder: " & fso.GetFolder(folder).Files.Count

On Error Resume Next
Set bytes = files("bytes")
Say "SHA256 " & bytes.Hash
Say "MD5    " & bytes.Hash("MD5")
Say "sha1   " & bytes.Hash("sha1")
Say "SHA512 " & bytes.Hash("SHA512")
x = bytes.Hash("SHA-256")
Say "SHA-256: " & Err.Description
Err.Clear
Say "avatar SHA256 " & files("avatar").Hash
Say "big SHA256 " & files("big").Hash & " | SHA384 " & files("big").Hash("SHA384")
bytes.SaveToFolder folder

' The 600 bytes in chunks of 256, on the output as they are; then none from the end on,
' and the last ten. (Wine's VBScript has no UBound of a byte array: sizes show as output.)
For offset = 0 To bytes.FileSize Step 256
    Response.BinaryWrite bytes.ReadBytes(offset, 256)
Next
Say "|"
Response.BinaryWrite bytes.ReadBytes(600, 10)
Say "| past the end"
Response.BinaryWrite bytes.ReadBytes(590, 1000)
Say "| the last ten"
chunk = bytes.ReadBytes(-1, 1)
Say "negative offset: " & Err.Description
Err.Clear

' A script object as the target: CopyTo calls its Write with each chunk.
Class Sink
    Public Calls
    Public Echo
    Public Sub Write(data)
        Calls = Calls + 1
        If Echo Then Response.BinaryWrite data
    End Sub
End Class

Set into = New Sink
into.Echo = True
copied = bytes.CopyTo(into)
Say "| CopyTo an echoing sink: " & copied & " bytes in " & into.Calls & " call"
Set into = New Sink
Say "CopyTo a counting sink: " & files("big").CopyTo(into) & " bytes in " & into.Calls & " calls"
written = files("big").CopyTo(fso)
Say "CopyTo an object without Write: " & Err.Number & " | " & Err.Description
Err.Clear
written = files("big").CopyTo("not an object")
Say "CopyTo a text: " & Err.Number & " | " & Err.Description
