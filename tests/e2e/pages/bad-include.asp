<p>A page whose include is missing.</p>
<!-- #include file="no-such-include.asp" -->
