' A UTF-8 form read with CodePage = 65001: the texts as the browser meant them, lookups
' in the other letter case and names that only a linguistic comparison would join, U+FFFD for ill-formed bytes, refused values, and the file
' saved and numbered under its own name.
Sub Say(text)
    Response.Write text & vbLf
End Sub

folder = Replace(CreateObject("WScript.Shell").ExpandEnvironmentStrings("%SCENARIO_OUT%"), Chr(0), "")
Set upload = Server.CreateObject("Kestrune.Tessock")
Say "CodePage=" & upload.CodePage
upload.CodePage = 65001
Say "FormVariable(TITLE)=" & upload.FormVariable("TITLE")
Say "FormVariable(ÜBER)=" & upload.FormVariable("ÜBER")
' Each name its own value: letter case ignored, and nothing else.
For Each name In Array("お", "ず", "Ì", "ü", "straße", "strasse", "STRASSE", "title", "ti­tle", "ss")
    Say "FormVariable(" & name & ")=" & upload.FormVariable(name)
Next
values = ""
For i = 0 To upload.FormVariableCount - 1
    values = values & "[" & upload.FormVariableByIndex(i) & "]"
Next
Say "FormVariableCount=" & upload.FormVariableCount & " " & values
' The form by name: names merge as FormVariable merges them, values stay apart.
For Each name In upload.Form
    Say "Form(" & name & ") Count=" & upload.Form(name).Count & " [" & upload.Form(name) & "]"
Next
Say "Form(ÜBER).Key=" & upload.Form("ÜBER").Key & " Form(ü)(2)=" & upload.Form("ü")(2)
Say "Filename=" & upload.Filename
Say "FileExtension=" & upload.FileExtension
Say "FileNameNoExtension=" & upload.FileNameNoExtension
Set files = upload.Files
Set bad = files("bad")
Say "bad: " & bad.Filename & " | " & bad.FileExtension
On Error Resume Next
For Each refused In Array(1200, 65000, -1, 12345)
    upload.CodePage = refused
    Say refused & ": " & Err.Source & " | " & Err.Description & " | CodePage=" & upload.CodePage
    Err.Clear
Next
On Error GoTo 0
upload.OverwriteMode = 2
upload.SaveFile folder & "\" & upload.Filename
upload.SaveFile folder & "\" & upload.Filename
Say "NewName=" & upload.NewName
Set fso = CreateObject("Scripting.FileSystemObject")
Say "on disk: " & fso.GetFile(folder & "\Grüße 日本語 ✓.txt").Size & " " & fso.GetFile(folder & "\Grüße 日本語 ✓~1.txt").Size & " bytes"
' Held texts survive any change of CodePage exactly; a path the system's code page lacks
' characters of is refused on CodePage 0 rather than written under another name.
upload.OverwriteChr = "★"
upload.CodePage = 0
On Error Resume Next
upload.SaveFile folder & "\Grüße 日本語 ✓.txt"
Say "CodePage 0, a path of other characters: " & Err.Description & " LastSaveError=" & upload.LastSaveError
Err.Clear
On Error GoTo 0
upload.CodePage = 65001
Say "OverwriteChr=" & upload.OverwriteChr & " NewName=" & upload.NewName
upload.SaveFile folder & "\" & upload.Filename
Say "NewName=" & upload.NewName & " " & fso.FileExists(folder & "\Grüße 日本語 ✓★1.txt")
' A path past the ANSI functions' length is refused on this road too, unless the page
' writes it in the \\?\ form.
longFolder = folder & "\" & String(120, "d")
fso.CreateFolder longFolder
longPath = longFolder & "\" & String(150, "n") & ".txt"
On Error Resume Next
upload.SaveFile longPath
Say "a path over 260 characters: " & Err.Description & " LastSaveError=" & upload.LastSaveError
Err.Clear
upload.SaveFile "\\?\" & longPath
Say "in the \\?\ form: " & Err.Number & " " & fso.FileExists("\\?\" & longPath)
On Error GoTo 0
