<%@ Language=JScript %>
<%
var upload = Server.CreateObject("Kestrune.Tessock");
%>title=<%= upload.FormVariable("title") %>;file=<%= upload.Filename %>;
<% Response.End(); %>not sent
