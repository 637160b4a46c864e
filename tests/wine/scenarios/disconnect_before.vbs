' The client is gone before the first pass: no read, no message, an empty object.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "FormVariableCount=" & upload.FormVariableCount
Say "Filename=[" & upload.Filename & "]"
Say "FileSize=" & upload.FileSize
Say "connected now=" & Response.IsClientConnected
Say "done"
