' Every member of the object, by name, on a body with five fields and a three-byte file.
Sub Say(text)
    Response.Write text & vbLf
End Sub

Set upload = Server.CreateObject("Kestrune.Tessock")
Say "FormVariableCount=" & upload.FormVariableCount
For i = 0 To upload.FormVariableCount - 1
    Say "FormVariableByIndex(" & i & ")=" & upload.FormVariableByIndex(i)
Next
Say "FormVariable(title)=" & upload.FormVariable("title")
Say "FormVariable(TITLE)=" & upload.FormVariable("TITLE")
Say "FormVariable(Colour)=" & upload.FormVariable("Colour")
Say "FormVariable(size)=[" & upload.FormVariable("size") & "]"
Say "FormVariable(a)=" & upload.FormVariable("a")
Say "FormVariable(x)=" & upload.FormVariable("x")
Say "FormVariable(upload)=" & upload.FormVariable("upload")
Say "Filename=" & upload.Filename
Say "FileExtension=" & upload.FileExtension
Say "FileNameNoExtension=" & upload.FileNameNoExtension
Say "ContentType=" & upload.ContentType
Say "FileSize=" & upload.FileSize
Say "VarType(FileAsVariant)=" & VarType(upload.FileAsVariant)
Say "Version begins=" & Left(upload.Version, 16)
Say "NewName=[" & upload.NewName & "]"
Say "OverwriteMode=" & upload.OverwriteMode
For Each mode In Array(1, 2, 5, -1, "2")
    upload.OverwriteMode = mode
    Say "OverwriteMode=" & mode & " reads " & upload.OverwriteMode
Next
Say "OverwriteChr=" & upload.OverwriteChr
upload.OverwriteChr = "_"
Say "OverwriteChr=" & upload.OverwriteChr
upload.OverwriteChr = ""
Say "OverwriteChr=[" & upload.OverwriteChr & "]"
Say "done"
