' Kestrune.Upload never writes to the page: with the host's second BinaryRead failing,
' a Tessock object would put its read error into the page; this object only says so in
' ReadError. Nothing is read until the first member that needs the body.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Upload")
Say "created: Received=" & upload.Received & " OverwriteMode=" & upload.OverwriteMode & " CodePage=" & upload.CodePage
Say "FormVariableCount=" & upload.FormVariableCount & " Received=" & upload.Received
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] Complete=" & upload.Complete
Say "done"
