<%@ Language="VBScript" %><%
' Reads the whole body in 1 MB passes and keeps none of it: the cost of moving a body
' through the server and BinaryRead, without the component.
Dim total, taken, wanted, chunk
total = Request.TotalBytes
taken = 0
Do While taken < total
  wanted = 1048576
  If total - taken < wanted Then wanted = total - taken
  chunk = Request.BinaryRead(wanted)
  If wanted = 0 Then Exit Do
  taken = taken + wanted
Loop
Response.ContentType = "text/plain"
Response.Write "read " & taken & " of " & total
%>