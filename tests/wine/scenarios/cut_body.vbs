' A body cut before its closing delimiter: what arrived is kept, and ReadError says the
' body ended early, with no text in the page.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] Complete=" & upload.Complete & _
    " BytesReceived=" & upload.BytesReceived & " TotalBytes=" & Request.TotalBytes
Say "title=" & upload.Form("title") & " Files.Count=" & upload.Files.Count
Say "done"
