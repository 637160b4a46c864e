<p>A page whose code page the system lacks.</p>
<%@ CodePage=12345 %>
