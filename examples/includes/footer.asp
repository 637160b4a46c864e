</main>
<footer>Kestrune.Tessock receives every file and form field of a request.</footer>
</body>
</html>
