' The host's own failures, as a page sees them: the description keeps its trailing ". ".
Sub Say(text)
    Response.Write text & vbLf
End Sub

On Error Resume Next
Say "total=" & Request.TotalBytes
Say "TotalBytes: " & Err.Number & " | " & Err.Source & " | [" & Err.Description & "]"
Err.Clear
n = 4
data = Request.BinaryRead(n)
Say "BinaryRead: n=" & n & " | " & VarType(data)
Say "done"
