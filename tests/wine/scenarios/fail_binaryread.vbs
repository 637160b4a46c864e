' A read that fails: the component writes its one message (between the brackets), once,
' and the page goes on with a usable, empty object.
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
