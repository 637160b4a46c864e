<%@ Language="VBScript" CodePage=65001 %>
<% Option Explicit %>
<!-- #include file="includes/functions.asp" -->
<%
Dim pageTitle
pageTitle = "Upload files"
%>
<!-- #include file="includes/header.asp" -->
<%
' Everything this page says about what it takes comes from the constants in
' includes/functions.asp, the ones the result page gives the component.
%>
<p id="allowed-kinds">The uploads folder takes these kinds of file only, by the extension of
their names: <span id="allowed-extensions"><%= H(Replace(ALLOWED_EXTENSIONS, ";", ", ")) %></span>.
A file of another kind is listed as not kept, and nothing of it is stored.</p>
<ul id="limits">
  <li>Each file up to <span id="limit-file-bytes"><%= SizeText(MAX_FILE_BYTES) %></span>,
      and at most <span id="limit-files"><%= MAX_FILES %></span> files.</li>
  <li>The whole upload, files and fields together, up to
      <span id="limit-body-bytes"><%= SizeText(MAX_BODY_BYTES) %></span>; a larger one is
      refused before any of it is read.</li>
  <li>Each text field up to <span id="limit-field-bytes"><%= SizeText(MAX_FIELD_BYTES) %></span>
      (in UTF-8, where an accented letter takes two bytes).</li>
</ul>
<%
' Without script the form posts as it is; with script it posts through XMLHttpRequest
' so the page can show the upload's progress.
%>
<form id="upload-form" action="upload-result.asp" method="post" enctype="multipart/form-data">
  <label>Title <input type="text" name="title" id="title" maxlength="200"></label>
  <label>Description <textarea name="description" id="description" rows="3"></textarea></label>
  <label>Category
    <select name="category" id="category">
      <option value="document">Document</option>
      <option value="picture">Picture</option>
      <option value="other">Other</option>
    </select>
  </label>
  <label>Files <input type="file" name="file" id="file" multiple accept="<%= H(AcceptList()) %>"></label>
  <label>One more file <input type="file" name="attachment" id="attachment" accept="<%= H(AcceptList()) %>"></label>
  <button type="submit" id="send">Upload</button>
</form>
<div id="progress-box" hidden>
  <progress id="progress" max="100" value="0"></progress>
  <span id="progress-text">0 %</span>
</div>
<script>
(function () {
  var form = document.getElementById("upload-form");
  if (!window.FormData || !window.XMLHttpRequest) return;
  form.addEventListener("submit", function (event) {
    event.preventDefault();
    var box = document.getElementById("progress-box");
    var bar = document.getElementById("progress");
    var text = document.getElementById("progress-text");
    var request = new XMLHttpRequest();
    request.upload.addEventListener("progress", function (e) {
      if (!e.lengthComputable) return;
      var percent = Math.floor(e.loaded * 100 / e.total);
      bar.value = percent;
      text.textContent = percent + " %";
    });
    request.addEventListener("load", function () {
      // Show the result page the server sent, as a plain form post would have.
      document.open();
      document.write(request.responseText);
      document.close();
    });
    request.addEventListener("error", function () {
      text.textContent = "The upload failed: the server could not be reached.";
    });
    request.open("POST", form.action);
    box.hidden = false;
    document.getElementById("send").disabled = true;
    request.send(new FormData(form));
  });
})();
</script>
<!-- #include file="includes/footer.asp" -->
<%
' The allow list as a file input's accept attribute, ".txt,.csv,...": it only steers the
' browser's file picker; the result page judges every file again.
Function AcceptList()
  AcceptList = "." & Replace(ALLOWED_EXTENSIONS, ";", ",.")
End Function
%>
