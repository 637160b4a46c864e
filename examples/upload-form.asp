<%@ Language="VBScript" CodePage=65001 %>
<% Option Explicit %>
<!-- #include file="includes/functions.asp" -->
<%
Dim pageTitle
pageTitle = "Upload files"
%>
<!-- #include file="includes/header.asp" -->
<p id="allowed-kinds">The uploads folder takes these kinds of file only, by the extension of
their names: <%= H(Replace(ALLOWED_EXTENSIONS, ";", ", ")) %>. Files of other kinds are
described but not stored.</p>
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
  <label>Files <input type="file" name="file" id="file" multiple></label>
  <label>One more file <input type="file" name="attachment" id="attachment"></label>
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
