' A 250000-byte body: three passes of BinaryRead (102400, 102400, 45200 bytes). The
' variants with --disconnect-after show the count of passes: the client is asked once
' before every pass.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "FormVariableCount=" & upload.FormVariableCount
Say "note=" & upload.FormVariable("note")
Say "Filename=" & upload.Filename
Say "ContentType=" & upload.ContentType
Say "FileSize=" & upload.FileSize
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] Complete=" & upload.Complete & " BytesReceived=" & upload.BytesReceived & " BodyInFile=" & upload.BodyInFile
Say "done"
