' MaxBodyBytes below TotalBytes: not one BinaryRead (the host's first one would fail and
' give ReadError 2), ReadError 6, and the page may answer the request itself.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Upload")
upload.MaxBodyBytes = Request.TotalBytes - 1
Say "FormVariableCount=" & upload.FormVariableCount & " Files.Count=" & upload.Files.Count & _
    " Rejected.Count=" & upload.Rejected.Count
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] BytesReceived=" & upload.BytesReceived & _
    " Complete=" & upload.Complete & " BodyInFile=" & upload.BodyInFile
Say "done"
