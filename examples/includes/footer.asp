</main>
<footer>Kestrune.Tessock receives one file and any number of form fields per request.</footer>
</body>
</html>
