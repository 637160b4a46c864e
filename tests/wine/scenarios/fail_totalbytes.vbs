' TotalBytes fails: the object cannot be created, through Server.CreateObject (which
' passes the creation's own code on) and through VBScript's CreateObject alike. The
' third creation meets a working host.
Sub Say(text)
    Response.Write text & vbLf
End Sub

On Error Resume Next
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "Server.CreateObject: " & Err.Number & " | " & Err.Source & " | " & IsEmpty(upload)
Err.Clear
Set upload = CreateObject("Kestrune.Tessock")
Say "CreateObject: " & Err.Number & " | " & IsEmpty(upload)
Err.Clear
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "third: " & Err.Number & " | purpose=" & upload.FormVariable("purpose")
Say "done"
