<%@ Language="VBScript" CodePage=65001 %>
<%
' Asked at the soak's quiet moments, when no upload is in flight: the host's log line for
' this request carries its handles and working set. It also names the temporary folder,
' where every body file must be gone by then.
Response.Write CreateObject("Scripting.FileSystemObject").GetSpecialFolder(2).Path
%>
