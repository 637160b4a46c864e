' Response.End ends the page quietly, as on a web server: what was written before it is
' kept, nothing written after it goes out, and the host exits with 0.
Response.Write "before" & vbLf
On Error Resume Next
Response.End
On Error GoTo 0
Response.Write "after a trapped End" & vbLf
Response.End
Response.Write "never" & vbLf
