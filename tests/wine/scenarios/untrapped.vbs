' An error that the page does not trap stops it; the host reports it and exits with 1.
Set upload = Server.CreateObject("Kestrune.Tessock")
Response.Write "before" & vbLf
Response.Write upload.FormVariableByIndex(upload.FormVariableCount) & vbLf
Response.Write "never" & vbLf
