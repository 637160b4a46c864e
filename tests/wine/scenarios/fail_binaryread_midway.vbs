' The third of three reads fails: the message, once, and nothing parsed.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Response.Write "["
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "]"
Say "FormVariableCount=" & upload.FormVariableCount
Say "Filename=[" & upload.Filename & "]"
Say "FileSize=" & upload.FileSize
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] Complete=" & upload.Complete & " BytesReceived=" & upload.BytesReceived & " BodyInFile=" & upload.BodyInFile
Say "Version begins=" & Left(upload.Version, 16)
Say "done"
