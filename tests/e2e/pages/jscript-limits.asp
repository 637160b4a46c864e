<%@ Language=JScript %>
<%
// The reference's JScript page for Kestrune.Upload, cut to what a test reads: limits set
// by property puts, Receive called as a method, Rejected walked with an Enumerator.
var upload = Server.CreateObject("Kestrune.Upload");
upload.MaxFileBytes = 10;
upload.MaxFields = 1;
upload.AllowedExtensions = "txt";
upload.Receive();
var parts = [];
for (var e = new Enumerator(upload.Rejected); !e.atEnd(); e.moveNext()) {
  var part = e.item();
  parts.push(part.FieldName + "/" + part.Filename + "/" + part.Size + "/" + part.Reason);
}
%>kept=<%= upload.Files.Count %>:<%= upload.Form.Count %>;rejected=<%= parts.join(",") %>;complete=<%= upload.Complete %>
