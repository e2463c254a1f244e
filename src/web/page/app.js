// The web page: filled in with the page itself.
