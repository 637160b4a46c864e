' A first page: create the upload object, which reads and parses the request body,
' then show every form field and what is known about the uploaded file.
' Try it with:  ./run script examples/hello.vbs --body examples/bodies/hello.body
Option Explicit

Dim upload, i
Set upload = Server.CreateObject("Kestrune.Tessock")

Response.Write "Kestrune version " & upload.Version & vbCrLf
Response.Write upload.FormVariableCount & " form fields:" & vbCrLf
For i = 0 To upload.FormVariableCount - 1
    Response.Write "  " & upload.FormVariableByIndex(i) & vbCrLf
Next
Response.Write "The title, by name: " & upload.FormVariable("title") & vbCrLf

Response.Write "Uploaded file:" & vbCrLf
Response.Write "  name:      " & upload.Filename & vbCrLf
Response.Write "  extension: " & upload.FileExtension & vbCrLf
Response.Write "  base name: " & upload.FileNameNoExtension & vbCrLf
Response.Write "  type:      " & upload.ContentType & vbCrLf
Response.Write "  size:      " & upload.FileSize & " bytes" & vbCrLf
