' The read fails and then so does writing the message about it: now the creation fails.
' (The component's message is the first Write of this page.)
Sub Say(text)
    Response.Write text & vbLf
End Sub

On Error Resume Next
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "create: " & Err.Number & " | " & IsEmpty(upload)
Say "done"
