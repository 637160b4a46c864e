' Under code page 932 (Shift-JIS), a file name whose character has the trail byte 0x5C
' (a backslash on its own) stays whole: the path is split only at real separators.
Sub Say(text)
    Response.Write text & vbLf
End Sub

folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "FormVariableCount=" & upload.FormVariableCount
Say "FormVariable(名前)=" & upload.FormVariable("名前")
Say "FormVariableByIndex(1)=" & upload.FormVariableByIndex(1)
Say "Filename=" & upload.Filename
Say "FileExtension=" & upload.FileExtension
Say "FileNameNoExtension=" & upload.FileNameNoExtension
Say "FileSize=" & upload.FileSize
upload.OverwriteMode = 2
upload.SaveFile folder & "\" & upload.Filename
upload.SaveFile folder & "\" & upload.Filename
Say "NewName=" & upload.NewName
Set fso = CreateObject("Scripting.FileSystemObject")
Say "saved: " & fso.FileExists(folder & "\表.txt") & " " & fso.FileExists(folder & "\表~1.txt")
' The same names on the Unicode road of code page 932.
upload.CodePage = 932
For Each name In upload.Form
    Say "Form(" & name & ")=" & upload.Form(name) & " Count=" & upload.Form(name).Count
Next
Say "done"
