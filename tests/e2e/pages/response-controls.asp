<%@ Language="VBScript" %><%
' One Response feature per ?case=, for the HTTP tests.
Select Case Request.QueryString("case")
Case "status"
  Response.Status = "404 Not Here"
  Response.ContentType = "text/plain"
  Response.CharSet = "utf-8"
  Response.AddHeader "X-Kestrune", "yes"
  Response.Write "custom status"
Case "redirect"
  Response.Write "dropped"
  Response.Redirect "default.asp?from=redirect"
  Response.Write "never"
Case "end"
  Response.Write "before end"
  Response.End
  Response.Write "after end"
Case "flush"
  Response.Write "first part;"
  Response.Flush
  Response.Write "second part"
Case "unbuffered"
  Response.Buffer = False
  Response.Write "one;"
  Response.Write "two"
Case "clear"
  Response.Write "dropped"
  Response.Clear
  Response.Write "kept"
Case "late-header"
  Response.Write "sent;"
  Response.Flush
  On Error Resume Next
  Response.Status = "500 Too Late"
  Response.Write "late status refused: " & (Err.Number <> 0)
Case "echo"
  ' The body back, byte for byte.
  Response.ContentType = "application/octet-stream"
  If Request.TotalBytes > 0 Then Response.BinaryWrite Request.BinaryRead(Request.TotalBytes)
Case "error-after-flush"
  Response.Write "partial;"
  Response.Flush
  Err.Raise 5, "test page", "raised after a flush"
End Select
%>