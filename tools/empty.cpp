// Keeps the game library non-empty while game/ has no sources yet.
