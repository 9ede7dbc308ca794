"""Procedural, deterministic builders for every file under assets/."""
