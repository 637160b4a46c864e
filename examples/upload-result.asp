<%@ Language="VBScript" CodePage=65001 %>
<% Option Explicit %>
<!-- #include file="includes/functions.asp" -->
<%
' Only a form post carries an upload; send anyone else to the form.
If Request.ServerVariables("REQUEST_METHOD") <> "POST" Then
  Response.Redirect "upload-form.asp"
End If

Dim pageTitle
pageTitle = "Upload received"

' Kestrune.Upload reads nothing when it is created: the page sets the limits first, and
' Receive reads and parses the body within them (any member that needs the body would
' call it too). Leave Request.Form and Request("name") alone in this page: before the read
' they would take the body from the component, after it ASP refuses them (ASP 0207,
' 0208). Read fields through the object.
Dim upload
Set upload = Server.CreateObject("Kestrune.Upload")
' This page and the form are UTF-8 (the directive on the first line, and the meta tag in
' the header), so the browser sends every text in UTF-8: read it as such. Names the
' server's ANSI code page lacks come through whole, and SaveToFolder writes them as they
' are. Set before the read, it also applies while the body is parsed.
upload.CodePage = 65001
' The form's limits, from includes/functions.asp, where the form page reads them too.
upload.MaxBodyBytes = MAX_BODY_BYTES
upload.MaxFileBytes = MAX_FILE_BYTES
upload.MaxFiles = MAX_FILES
upload.MaxFields = MAX_FIELDS
upload.MaxFieldBytes = MAX_FIELD_BYTES
upload.AllowedExtensions = ALLOWED_EXTENSIONS
upload.Receive

' Above MaxBodyBytes the component read nothing, and says so only in ReadError: the page
' answers for itself, with the status that tells the browser why.
Dim tooLarge
tooLarge = (upload.ReadError = 6)
If tooLarge Then
  Response.Status = "413 Request Entity Too Large"
  pageTitle = "Upload too large"
End If
%>
<!-- #include file="includes/header.asp" -->
<%
If tooLarge Then
%>
<p id="too-large" class="error">This upload is <%= Request.TotalBytes %> bytes, and the form
takes at most <%= SizeText(MAX_BODY_BYTES) %> in all (each file up to
<%= SizeText(MAX_FILE_BYTES) %>). Nothing of it was read or stored.
<a href="upload-form.asp">Try again</a> with fewer or smaller files.</p>
<!-- #include file="includes/footer.asp" -->
<%
  Response.End
End If

' Complete is False when the body did not arrive whole: the browser went away, the server
' failed while reading, or the closing delimiter never came. What did arrive is below.
' Parts beyond the limits do not make an upload incomplete: they are listed further down.
If Not upload.Complete Then
%>
<p id="incomplete" class="error">The upload did not arrive whole: <%= H(upload.ReadErrorText) %>
(ReadError <%= upload.ReadError %>, <%= upload.BytesReceived %> of <%= Request.TotalBytes %> bytes).</p>
<%
End If
%>
<h2>Form fields</h2>
<p>Every text field the browser sent within the form's limits, by name in the order sent,
each value on its own.</p>
<table id="fields">
  <tr><th>Name</th><th>Values</th></tr>
<%
Dim fieldName, fieldValue
For Each fieldName In upload.Form
%>
  <tr><th><%= H(fieldName) %></th><td><%
  For Each fieldValue In upload.Form(fieldName)
    %><div><%= H(fieldValue) %></div><%
  Next
%></td></tr>
<%
Next
%>
</table>

<h2>The fields this form asked for</h2>
<table id="fields-by-name">
<%
Dim fieldNames
fieldNames = Array("title", "description", "category")
For Each fieldName In fieldNames
%>
  <tr><th><%= H(fieldName) %></th><td id="field-<%= H(fieldName) %>"><%= H(upload.Form(fieldName)) %></td></tr>
<%
Next
%>
</table>

<h2>The files</h2>
<%
' Every file kept, with at least one byte, in the order the browser sent them. The first
' one is also the one that upload.Filename, upload.FileSize and the others describe.
' Files beyond the limits are not here: Rejected lists them, after the files.
Dim files, rejected, part, k, f, n, storedAs, saveError, saveReason, saveDetails
Set files = upload.Files
Set rejected = upload.Rejected
If files.Count = 0 Then
  If RejectedFiles(rejected) > 0 Then
%>
<p id="no-file">No file was kept: every file sent is beyond the form's limits, as
<a href="#rejected">the list below</a> says.</p>
<%
  Else
    ' An empty file counts as no file: there is nothing to save.
%>
<p id="no-file">No file was received. Choose a file that is not empty and
<a href="upload-form.asp">try again</a>.</p>
<%
  End If
End If
For k = 0 To files.Count - 1
  Set f = files(k)
  ' The first file's elements keep plain ids; the others' end in their position.
  n = ""
  If k > 0 Then n = "-" & k
%>
<h3>File <%= k + 1 %>, from the input <em><%= H(f.FieldName) %></em></h3>
<dl class="facts">
  <dt>Name</dt><dd id="filename<%= n %>"><%= H(f.Filename) %></dd>
  <dt>Extension</dt><dd id="extension<%= n %>"><%= H(f.FileExtension) %></dd>
  <dt>Name without extension</dt><dd id="basename<%= n %>"><%= H(f.FileNameNoExtension) %></dd>
  <dt>MIME type, as the browser declared it</dt><dd id="content-type<%= n %>"><%= H(f.ContentType) %></dd>
  <dt>MIME type, as the first bytes show it</dt><dd id="detected-type<%= n %>"><%= H(f.DetectedType) %></dd>
<%
  ' Only images whose headers the component reads have a size; every other file has 0.
  If f.ImageWidth > 0 Then
%>
  <dt>Image size in pixels</dt><dd id="image-size<%= n %>"><%= f.ImageWidth %> x <%= f.ImageHeight %></dd>
<%
  End If
%>
  <dt>Size in bytes</dt><dd id="size<%= n %>"><%= f.FileSize %></dd>
  <dt>SHA-256</dt><dd id="sha256<%= n %>"><%= H(f.Hash("SHA256")) %></dd>
</dl>
<%
  ' SaveToFolder stores the file under its SafeFilename (the browser's name with what
  ' Windows or IIS would misread replaced), and only when that name's extension is on the
  ' allow list. It never replaces a file: an existing name gets a number, as in
  ' report~1.pdf, whatever OverwriteMode says.
  On Error Resume Next
  storedAs = f.SaveToFolder(Server.MapPath("uploads"), ALLOWED_EXTENSIONS)
  saveError = Err.Number
  saveReason = Err.Description
  saveDetails = DescribeError()
  On Error GoTo 0
  If saveError = 0 Then
%>
<p id="saved<%= n %>">Saved in the uploads folder as <strong id="newname<%= n %>"><%= H(storedAs) %></strong>.</p>
<%
  ElseIf saveReason = "File type not allowed." Then
    ' A refusal, not a failure: nothing was written, and the reason is the component's.
    ' AllowedExtensions above keeps such a file out of Files already; this stays as the
    ' second guard, should the two lists ever differ.
%>
<p id="not-saved<%= n %>" class="error">This file was not saved (<span id="not-saved-reason<%= n %>"><%= H(saveReason) %></span>):
the uploads folder takes only the kinds of file on the list in includes/functions.asp.</p>
<%
  Else
%>
<p id="save-error<%= n %>" class="error">The file could not be saved (Windows error <%= f.LastSaveError %>,
see docs/troubleshooting.md): <%= H(saveDetails) %></p>
<%
  End If
Next

' The parts that arrived but are beyond the form's limits, in the order sent: the bytes
' came over the network (only MaxBodyBytes stops that), yet none of them is kept, in
' Files, in Form or on disk.
If rejected.Count > 0 Then
%>
<h2>Not kept</h2>
<p>These parts of the upload are beyond <a href="upload-form.asp">the form's limits</a>, so
nothing of them was kept or stored.</p>
<ul id="rejected">
<%
  For k = 0 To rejected.Count - 1
    Set part = rejected(k)
%>
  <li id="rejected-<%= k %>"><%
    If IsFileReason(part.Reason) Then
      %>The file <strong id="rejected-filename-<%= k %>"><%= H(part.Filename) %></strong>, from the input<%
    Else
      %>The text field<%
    End If
    %> <em id="rejected-field-<%= k %>"><%= H(part.FieldName) %></em>,
    <span id="rejected-size-<%= k %>"><%= part.Size %></span> bytes:
    <span id="rejected-reason-text-<%= k %>"><%= H(part.ReasonText) %></span>
    (Reason <span id="rejected-reason-<%= k %>"><%= part.Reason %></span>)</li>
<%
  Next
%>
</ul>
<%
End If
%>
<p><a href="upload-form.asp">Upload more files</a></p>
<!-- #include file="includes/footer.asp" -->
<%
' Whether a part not kept for this reason is a file: 1 (too large), 2 (too many files) and
' 5 (an extension not allowed) are files' reasons, 3 and 4 text fields'. The reason, not
' the name, tells them apart: a file may come without a name.
Function IsFileReason(reason)
  IsFileReason = (reason = 1 Or reason = 2 Or reason = 5)
End Function

' How many of the parts not kept are files.
Function RejectedFiles(parts)
  Dim p
  RejectedFiles = 0
  For Each p In parts
    If IsFileReason(p.Reason) Then RejectedFiles = RejectedFiles + 1
  Next
End Function
%>
