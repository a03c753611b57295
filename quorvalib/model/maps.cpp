/* The ordered coefficient and index containers. The standard containers
 * report allocation failure by throwing; every entry point here catches
 * that and returns -1, so no exception ever crosses into the C API. A key
 * reference is taken only after its entry exists, and released only after
 * its entry is gone, so a failing insertion leaves every count as it was. */
#include "model/maps.h"

#include <new>

namespace {

/* A coefficient counts as zero when it compares equal to 0.0. */
inline bool isZero(double coef) { return coef == 0.0; }

/* One step of the iteration protocol shared by the four containers: the
 * first call positions a new cursor on the smallest key; at the end the
 * cursor is freed and 0 returned; otherwise the current entry is handed to
 * store, the cursor advances and 1 is returned. */
template <typename CursorT, typename Container, typename Store>
int nextEntry(const Container &container, CursorT **cursor, Store store) {
  if (!*cursor) {
    *cursor = new (std::nothrow) CursorT{container.begin(), container.end()};
    if (!*cursor) return 0;
  }
  if ((*cursor)->position == (*cursor)->end) {
    delete *cursor;
    *cursor = nullptr;
    return 0;
  }
  store(*(*cursor)->position);
  ++(*cursor)->position;
  return 1;
}

}  // namespace

struct linmap_iter {
  std::map<VarKey, double, less_variable>::const_iterator position, end;
};
struct quadmap_iter {
  std::map<VarKey, linmap *, less_variable>::const_iterator position, end;
};
struct indexset_iter {
  std::set<uint32_t>::const_iterator position, end;
};
struct rowcolmap_iter {
  std::map<uint32_t, int>::const_iterator position, end;
};

/* ================================ linmap ================================ */

linmap *linmap_new() { return new (std::nothrow) linmap(); }

size_t linmap_size(const linmap *map) { return map ? map->entries.size() : 0; }

int linmap_get(const linmap *map, PyObject *variable, double *coef) {
  auto found = map->entries.find(VarKey(variable));
  if (found == map->entries.end()) return -1;
  *coef = found->second;
  return 0;
}

int linmap_has(const linmap *map, PyObject *variable) {
  return map->entries.find(VarKey(variable)) != map->entries.end() ? 1 : 0;
}

/* Removes the entry at position and releases its key afterwards. */
static void eraseEntry(linmap *map, std::map<VarKey, double, less_variable>::iterator position) {
  PyObject *key = position->first.var;
  map->entries.erase(position);
  Py_DECREF(key);
}

/* The entry of key or the position to insert it at: variables usually
 * arrive in order of creation, so a key after the last one is placed at
 * the end without a search. */
template <typename Entries>
typename Entries::iterator positionOf(Entries &entries, const VarKey &key) {
  if (entries.empty() || entries.rbegin()->first.serial < key.serial) return entries.end();
  return entries.lower_bound(key);
}

template <typename Entries>
bool isAt(const Entries &entries, typename Entries::const_iterator position, const VarKey &key) {
  return position != entries.end() && position->first.serial == key.serial;
}

int linmap_set(linmap *map, PyObject *variable, double coef) {
  try {
    VarKey key(variable);
    auto found = positionOf(map->entries, key);
    bool present = isAt(map->entries, found, key);
    if (present) {
      if (isZero(coef))
        eraseEntry(map, found);
      else
        found->second = coef;
    } else if (!isZero(coef)) {
      map->entries.emplace_hint(found, key, coef);
      Py_INCREF(variable);
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

int linmap_add(linmap *map, PyObject *variable, double coef) {
  if (isZero(coef)) return 0;
  try {
    VarKey key(variable);
    auto found = positionOf(map->entries, key);
    if (isAt(map->entries, found, key)) {
      found->second += coef;
      if (isZero(found->second)) eraseEntry(map, found);
    } else {
      map->entries.emplace_hint(found, key, coef);
      Py_INCREF(variable);
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

int linmap_del(linmap *map, PyObject *variable) {
  auto found = map->entries.find(VarKey(variable));
  if (found == map->entries.end()) return -1;
  eraseEntry(map, found);
  return 0;
}

int linmap_copy_scaled(linmap **out, const linmap *source, double factor) {
  *out = nullptr;
  linmap *copy = linmap_new();
  if (!copy) return -1;
  try {
    for (const auto &entry : source->entries) {
      double coef = entry.second * factor;
      if (isZero(coef)) continue;
      copy->entries.emplace_hint(copy->entries.end(), entry.first, coef);
      Py_INCREF(entry.first.var);
    }
  } catch (...) {
    linmap_free(&copy);
    return -1;
  }
  *out = copy;
  return 0;
}

int linmap_copy(linmap **out, const linmap *source) {
  *out = nullptr;
  linmap *copy = linmap_new();
  if (!copy) return -1;
  try {
    copy->entries = source->entries;
  } catch (...) {
    delete copy;
    return -1;
  }
  for (const auto &entry : copy->entries) Py_INCREF(entry.first.var);
  *out = copy;
  return 0;
}

int linmap_scale(linmap *map, double factor) {
  for (auto position = map->entries.begin(); position != map->entries.end();) {
    position->second *= factor;
    if (isZero(position->second)) {
      PyObject *key = position->first.var;
      position = map->entries.erase(position);
      Py_DECREF(key);
    } else {
      ++position;
    }
  }
  return 0;
}

void linmap_free(linmap **map) {
  if (!*map) return;
  /* Detach the entries first: releasing a key may run arbitrary code (a
   * destructor), which must not see a half-freed map. */
  std::map<VarKey, double, less_variable> entries;
  entries.swap((*map)->entries);
  delete *map;
  *map = nullptr;
  for (const auto &entry : entries) Py_DECREF(entry.first.var);
}

int linmap_next(const linmap *map, PyObject **variable, double *coef, linmap_iter **cursor) {
  return nextEntry(map->entries, cursor, [&](const auto &entry) {
    *variable = entry.first.var;
    *coef = entry.second;
  });
}

void linmap_iter_free(linmap_iter **cursor) {
  delete *cursor;
  *cursor = nullptr;
}

/* ================================ quadmap =============================== */

quadmap *quadmap_new() { return new (std::nothrow) quadmap(); }

size_t quadmap_size(const quadmap *map) {
  if (!map) return 0;
  size_t total = 0;
  for (const auto &entry : map->entries) total += entry.second->entries.size();
  return total;
}

int quadmap_get(const quadmap *map, PyObject *first, linmap **inner) {
  auto found = map->entries.find(VarKey(first));
  if (found == map->entries.end()) return -1;
  *inner = found->second;
  return 0;
}

int quadmap_set(quadmap *map, PyObject *first, linmap *inner) {
  try {
    if (!map->entries.emplace(VarKey(first), inner).second) {
      linmap_free(&inner);
      return -1; /* callers set only absent keys */
    }
  } catch (...) {
    linmap_free(&inner);
    return -1;
  }
  Py_INCREF(first);
  return 0;
}

/* Removes the outer entry at position (whose inner map is empty or about to
 * be freed) and releases the first factor. */
static void eraseOuter(quadmap *map, std::map<VarKey, linmap *, less_variable>::iterator position) {
  PyObject *first = position->first.var;
  linmap *inner = position->second;
  map->entries.erase(position);
  linmap_free(&inner);
  Py_DECREF(first);
}

/* The outer entry of first, created (with first inserted and an empty
 * inner map) when absent; end() when that fails. */
static std::map<VarKey, linmap *, less_variable>::iterator outerOf(quadmap *map, PyObject *first) {
  VarKey key(first);
  auto found = positionOf(map->entries, key);
  if (isAt(map->entries, found, key)) return found;
  linmap *inner = linmap_new();
  if (!inner) return map->entries.end();
  try {
    found = map->entries.emplace_hint(found, key, inner);
  } catch (...) {
    delete inner;
    return map->entries.end();
  }
  Py_INCREF(first);
  return found;
}

/* Applies change to the inner map of first, then drops the outer entry if
 * its inner map has become empty. */
template <typename Change>
static int changeInner(quadmap *map, PyObject *first, Change change) {
  auto outer = outerOf(map, first);
  if (outer == map->entries.end()) return -1;
  int status = change(outer->second);
  if (outer->second->entries.empty()) eraseOuter(map, outer);
  return status;
}

int quadmap_add(quadmap *map, PyObject *first, PyObject *second, double coef) {
  if (isZero(coef)) return 0;
  return changeInner(map, first, [&](linmap *inner) { return linmap_add(inner, second, coef); });
}

int quadmap_setcoef(quadmap *map, PyObject *first, PyObject *second, double coef) {
  if (isZero(coef)) {
    quadmap_del(map, first, second);
    return 0;
  }
  return changeInner(map, first, [&](linmap *inner) { return linmap_set(inner, second, coef); });
}

int quadmap_del(quadmap *map, PyObject *first, PyObject *second) {
  auto found = map->entries.find(VarKey(first));
  if (found == map->entries.end()) return 0;
  if (linmap_del(found->second, second) == 0 && found->second->entries.empty()) eraseOuter(map, found);
  return 0;
}

int quadmap_copy_scaled(quadmap **out, const quadmap *source, double factor) {
  *out = nullptr;
  quadmap *copy = quadmap_new();
  if (!copy) return -1;
  for (const auto &entry : source->entries) {
    linmap *inner = nullptr;
    int status = factor == 1.0 ? linmap_copy(&inner, entry.second) : linmap_copy_scaled(&inner, entry.second, factor);
    if (status != 0) {
      quadmap_free(&copy);
      return -1;
    }
    if (inner->entries.empty()) {
      linmap_free(&inner);
      continue;
    }
    if (quadmap_set(copy, entry.first.var, inner) != 0) {
      quadmap_free(&copy);
      return -1;
    }
  }
  *out = copy;
  return 0;
}

int quadmap_copy(quadmap **out, const quadmap *source) { return quadmap_copy_scaled(out, source, 1.0); }

int quadmap_scale(quadmap *map, double factor) {
  for (auto position = map->entries.begin(); position != map->entries.end();) {
    linmap_scale(position->second, factor);
    if (position->second->entries.empty()) {
      auto next = std::next(position);
      eraseOuter(map, position);
      position = next;
    } else {
      ++position;
    }
  }
  return 0;
}

void quadmap_free(quadmap **map) {
  if (!*map) return;
  std::map<VarKey, linmap *, less_variable> entries;
  entries.swap((*map)->entries);
  delete *map;
  *map = nullptr;
  for (auto &entry : entries) {
    linmap_free(&entry.second);
    Py_DECREF(entry.first.var);
  }
}

int quadmap_next(const quadmap *map, PyObject **first, linmap **inner, quadmap_iter **cursor) {
  return nextEntry(map->entries, cursor, [&](const auto &entry) {
    *first = entry.first.var;
    *inner = entry.second;
  });
}

void quadmap_iter_free(quadmap_iter **cursor) {
  delete *cursor;
  *cursor = nullptr;
}

/* ================================ indexset ============================== */

indexset *indexset_new() { return new (std::nothrow) indexset(); }

int indexset_add(indexset *set, uint32_t value) {
  try {
    /* Serials usually arrive in increasing order: try the end first. */
    if (set->entries.empty() || *set->entries.rbegin() < value)
      set->entries.emplace_hint(set->entries.end(), value);
    else
      set->entries.insert(value);
    return 0;
  } catch (...) {
    return -1;
  }
}

int indexset_has(const indexset *set, uint32_t value) { return set->entries.count(value) ? 1 : 0; }

int indexset_del(indexset *set, uint32_t value) {
  set->entries.erase(value);
  return 0;
}

int indexset_copy(indexset **out, const indexset *source) {
  *out = nullptr;
  try {
    *out = new indexset(*source);
    return 0;
  } catch (...) {
    return -1;
  }
}

void indexset_free(indexset **set) {
  delete *set;
  *set = nullptr;
}

int indexset_next(const indexset *set, uint32_t *value, indexset_iter **cursor) {
  return nextEntry(set->entries, cursor, [&](uint32_t entry) { *value = entry; });
}

void indexset_iter_free(indexset_iter **cursor) {
  delete *cursor;
  *cursor = nullptr;
}

/* ================================ rowcolmap ============================= */

rowcolmap *rowcolmap_new() { return new (std::nothrow) rowcolmap(); }

int rowcolmap_get(const rowcolmap *map, uint32_t key, int *position) {
  auto found = map->entries.find(key);
  if (found == map->entries.end()) return -1;
  *position = found->second;
  return 0;
}

int rowcolmap_has(const rowcolmap *map, uint32_t key) { return map->entries.count(key) ? 1 : 0; }

int rowcolmap_set(rowcolmap *map, uint32_t key, int position) {
  try {
    map->entries[key] = position;
    return 0;
  } catch (...) {
    return -1;
  }
}

int rowcolmap_del(rowcolmap *map, uint32_t key) {
  map->entries.erase(key);
  return 0;
}

int rowcolmap_clear(rowcolmap *map) {
  map->entries.clear();
  return 0;
}

int rowcolmap_copy(rowcolmap **out, const rowcolmap *source) {
  *out = nullptr;
  try {
    *out = new rowcolmap(*source);
    return 0;
  } catch (...) {
    return -1;
  }
}

void rowcolmap_free(rowcolmap **map) {
  delete *map;
  *map = nullptr;
}

int rowcolmap_next(const rowcolmap *map, uint32_t *key, int *position, rowcolmap_iter **cursor) {
  return nextEntry(map->entries, cursor, [&](const auto &entry) {
    *key = entry.first;
    *position = entry.second;
  });
}

void rowcolmap_iter_free(rowcolmap_iter **cursor) {
  delete *cursor;
  *cursor = nullptr;
}
