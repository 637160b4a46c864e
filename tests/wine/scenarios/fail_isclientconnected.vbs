' Asking whether the client is still there fails: the message, once, as for a failed read.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Response.Write "["
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "]"
Say "FormVariableCount=" & upload.FormVariableCount
Say "Filename=[" & upload.Filename & "]"
Say "FileSize=" & upload.FileSize
Say "Version begins=" & Left(upload.Version, 16)
Say "done"
