' The client goes away after the second pass of three: the third check ends intake,
' nothing is parsed, nothing is written, and the object is empty.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "FormVariableCount=" & upload.FormVariableCount
Say "Filename=[" & upload.Filename & "]"
Say "FileSize=" & upload.FileSize
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] Complete=" & upload.Complete & " BytesReceived=" & upload.BytesReceived & " BodyInFile=" & upload.BodyInFile
Say "connected now=" & Response.IsClientConnected
Say "done"
