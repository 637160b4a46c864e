' The parser asks for the client before each part too: with one answer for the single
' read and one for the parser's first cycle, the first field is kept and nothing after it.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "FormVariableCount=" & upload.FormVariableCount
Say "purpose=" & upload.FormVariable("purpose")
Say "Filename=[" & upload.Filename & "]"
Say "FileSize=" & upload.FileSize
Say "done"
