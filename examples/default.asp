<%@ Language="VBScript" CodePage=65001 %>
<% Option Explicit %>
<!-- #include file="includes/functions.asp" -->
<%
Dim pageTitle
pageTitle = "Start here"
%>
<!-- #include file="includes/header.asp" -->
<p>These pages show how a classic ASP page receives a file upload with the Kestrune
component. Copy them into your own site as a starting point.</p>
<ul class="cards">
  <li><a href="upload-form.asp">Upload files</a>: a form with several files and a few text
      fields, with a progress bar while the files travel. It says what it takes: the kinds
      of file and the limits on sizes and counts. It posts to <code>upload-result.asp</code>,
      the result page, which reads the upload with <code>Kestrune.Upload</code> within those
      limits, lists every field, describes and saves each file into <code>uploads/</code>,
      and lists the parts it did not keep with the reason. Opened on its own, without a
      form post, the result page sends you to the form.</li>
  <li><a href="overwrite-modes.asp">Overwrite modes</a>: what happens when a file of the same
      name exists already, and how errors reach the page. It uses
      <code>Kestrune.Tessock</code>, which reads the upload as it is created.</li>
</ul>
<p class="note">This page runs at <code><%= H(Request.ServerVariables("SCRIPT_NAME")) %></code>;
uploads are stored in <code><%= H(Server.MapPath("uploads")) %></code>. On IIS, give the
account that runs these pages Modify rights on that folder before the first upload: the
application pool's identity, such as <code>IIS AppPool\DefaultAppPool</code> or
<code>NETWORK SERVICE</code>, or <code>IUSR</code> while anonymous requests run as
<code>IUSR</code>: see <code>docs\installing-on-iis.md</code>, "The example
pages".</p>
<!-- #include file="includes/footer.asp" -->
