' A body that is not multipart/form-data (a plain form post): no fields, and ReadError 3;
' a request with no body at all is the same cause.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "ReadError=" & upload.ReadError & " [" & upload.ReadErrorText & "] Complete=" & upload.Complete & _
    " BytesReceived=" & upload.BytesReceived & " Form.Count=" & upload.Form.Count
Say "done"
