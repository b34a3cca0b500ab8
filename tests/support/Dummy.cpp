// Keeps the support library a real archive.
