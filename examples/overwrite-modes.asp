<%@ Language="VBScript" CodePage=65001 %>
<% Option Explicit %>
<!-- #include file="includes/functions.asp" -->
<%
Dim pageTitle
pageTitle = "Overwrite modes"
%>
<!-- #include file="includes/header.asp" -->
<p>When <code>SaveFile</code> finds a file of the same name, <code>OverwriteMode</code> decides:</p>
<ul>
  <li><strong>0</strong> (the default): replace the existing file.</li>
  <li><strong>1</strong>: keep the existing file and write nothing; no error is raised.</li>
  <li><strong>2</strong>: save under a new name, <em>name~1.ext</em>, <em>name~2.ext</em>...
      <code>OverwriteChr</code> sets the text before the number, and <code>NewName</code>
      tells the name used.</li>
</ul>
<%
If Request.ServerVariables("REQUEST_METHOD") <> "POST" Then
%>
<form action="overwrite-modes.asp" method="post" enctype="multipart/form-data">
  <label>Any small file <input type="file" name="file" id="file"></label>
  <button type="submit" id="send">Save it in every mode</button>
</form>
<%
Else
  Dim upload, folder, target, extension, step
  Set upload = Server.CreateObject("Kestrune.Tessock")
  upload.CodePage = 65001  ' texts as the UTF-8 page sends them, names on disk in Unicode
  folder = Server.MapPath("uploads")
  ' The extension is the one the file's first bytes show, not the one the browser's name
  ' claims, and only when the uploads folder takes that kind (the allow list in
  ' includes/functions.asp); any other file is stored without an extension.
  extension = ""
  If upload.Files.Count > 0 Then extension = upload.Files(0).DetectedExtension
  If extension <> "" And InStr(";" & ALLOWED_EXTENSIONS & ";", ";" & extension & ";") > 0 Then
    extension = "." & extension
  Else
    extension = ""
  End If
  ' A fixed name, so the steps below meet the file that the earlier steps wrote.
  target = folder & "\overwrite-demo" & extension

  ' Every step runs under On Error Resume Next and reports what Err holds afterwards.
  On Error Resume Next
%>
<ol id="steps">
<%
  upload.OverwriteMode = 0
  upload.SaveFile target
  Report "Mode 0 saves overwrite-demo" & extension & " (replacing any earlier copy)"

  upload.SaveFile target
  Report "Mode 0 again: the file is simply replaced"

  upload.OverwriteMode = 1
  upload.SaveFile target
  Report "Mode 1: the file exists, so nothing is written and no error is raised"

  upload.OverwriteMode = 2
  upload.SaveFile target
  Report "Mode 2: saved under a new name, NewName = " & upload.NewName

  upload.OverwriteChr = "_"
  upload.SaveFile target
  Report "Mode 2 with OverwriteChr ""_"": NewName = " & upload.NewName

  upload.OverwriteMode = 5
  Report "OverwriteMode = 5 reads back as " & upload.OverwriteMode & " (unknown values mean 0)"

  ' The last two steps ask for what cannot be done, on purpose: they show what a refusal
  ' looks like in Err.
  upload.SaveFile folder & "\no-such-folder\file.txt"
  ExpectRefusal "SaveFile into a folder that does not exist"

  Dim value
  value = upload.FormVariableByIndex(upload.FormVariableCount)
  ExpectRefusal "FormVariableByIndex past the last field"
%>
</ol>
<p class="note">The steps marked <span class="expected">refused, as intended</span> ask for
something that cannot work, to show how the component's errors reach a page that traps
them with <code>On Error Resume Next</code>: <code>Err.Number</code>, <code>Err.Source</code>
and <code>Err.Description</code>. They are the expected outcome, not a fault. A step in
<span class="error">red</span> is one that went wrong.</p>
<%
  On Error GoTo 0
End If

' Writes one list item: what was tried, and the error it raised, if any.
Sub Report(what)
  If Err.Number = 0 Then
    Response.Write "<li class=""ok"">" & H(what) & ": no error.</li>" & vbCrLf
  Else
    Response.Write "<li class=""error"">" & H(what) & ": " & H(DescribeError()) & "</li>" & vbCrLf
  End If
End Sub

' Writes one list item for a step that should fail: the error it raised, marked as
' expected, or a warning when it did not fail.
Sub ExpectRefusal(what)
  If Err.Number = 0 Then
    Response.Write "<li class=""error"">" & H(what) & ": no error, though this should have been refused.</li>" & vbCrLf
  Else
    Response.Write "<li class=""expected"">" & H(what) & ": refused, as intended. " & H(DescribeError()) & "</li>" & vbCrLf
  End If
End Sub
%>
<!-- #include file="includes/footer.asp" -->
