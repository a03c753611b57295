/* The ordered containers that carry every coefficient and every
 * object-to-index association:
 *
 *   linmap     variable -> coefficient              (one reference per key)
 *   quadmap    variable -> linmap of second factor  (one reference per outer key)
 *   indexset   set of serials                       (no references)
 *   rowcolmap  serial -> column, row or set index   (no references)
 *
 * Variables are ordered by serial, so iteration runs in order of creation.
 * No linmap or quadmap ever holds a coefficient that compares equal to 0.0;
 * NaN is not zero and is stored like any other value.
 *
 * Every function returns 0 on success and -1 where a lookup misses or an
 * allocation fails; no function sets a Python error (callers report their
 * own messages). Iteration: keep a cursor initialised to NULL and call
 * *_next until it returns 0 (the cursor is then freed and NULL again); a
 * caller that leaves early calls *_iter_free. */
#ifndef QUORVA_MAPS_H
#define QUORVA_MAPS_H

#include "model/var.h"

#include <cstdint>
#include <map>
#include <set>

/* A key of a coefficient map: the variable with its serial kept beside it,
 * so that searching the tree never has to visit the variable objects. */
struct VarKey {
  uint32_t serial;
  PyObject *var;
  explicit VarKey(PyObject *variable) : serial(VAR_SERIAL(variable)), var(variable) {}
};

/* Orders variables by serial (as unsigned numbers); two objects with the
 * same serial are the same key. */
struct less_variable {
  bool operator()(const VarKey &a, const VarKey &b) const noexcept { return a.serial < b.serial; }
};

struct linmap {
  std::map<VarKey, double, less_variable> entries;
};
struct quadmap {
  std::map<VarKey, linmap *, less_variable> entries; /* inner maps are never empty */
};
struct indexset {
  std::set<uint32_t> entries;
};
struct rowcolmap {
  std::map<uint32_t, int> entries;
};

struct linmap_iter;
struct quadmap_iter;
struct indexset_iter;
struct rowcolmap_iter;

/* ---- linmap ---- */
linmap *linmap_new();
size_t linmap_size(const linmap *map);
int linmap_get(const linmap *map, PyObject *variable, double *coef);
int linmap_has(const linmap *map, PyObject *variable);
int linmap_set(linmap *map, PyObject *variable, double coef);
int linmap_add(linmap *map, PyObject *variable, double coef);
int linmap_del(linmap *map, PyObject *variable);
int linmap_copy(linmap **out, const linmap *source);
/* A copy with every coefficient multiplied by factor; exact zero products
 * are left out. */
int linmap_copy_scaled(linmap **out, const linmap *source, double factor);
/* Multiplies every coefficient by factor in place; exact zero products are
 * removed (and their keys released). */
int linmap_scale(linmap *map, double factor);
void linmap_free(linmap **map);
int linmap_next(const linmap *map, PyObject **variable, double *coef, linmap_iter **cursor);
void linmap_iter_free(linmap_iter **cursor);

/* ---- quadmap ---- */
quadmap *quadmap_new();
size_t quadmap_size(const quadmap *map);
int quadmap_get(const quadmap *map, PyObject *first, linmap **inner);
/* Inserts an absent first factor with the given inner map, which the
 * quadratic map takes over (and frees on failure). */
int quadmap_set(quadmap *map, PyObject *first, linmap *inner);
int quadmap_add(quadmap *map, PyObject *first, PyObject *second, double coef);
/* Sets the coefficient of the pair; zero removes it. */
int quadmap_setcoef(quadmap *map, PyObject *first, PyObject *second, double coef);
int quadmap_del(quadmap *map, PyObject *first, PyObject *second);
int quadmap_copy(quadmap **out, const quadmap *source);
int quadmap_copy_scaled(quadmap **out, const quadmap *source, double factor);
int quadmap_scale(quadmap *map, double factor);
void quadmap_free(quadmap **map);
int quadmap_next(const quadmap *map, PyObject **first, linmap **inner, quadmap_iter **cursor);
void quadmap_iter_free(quadmap_iter **cursor);

/* ---- indexset ---- */
indexset *indexset_new();
int indexset_add(indexset *set, uint32_t value);
int indexset_has(const indexset *set, uint32_t value);
int indexset_del(indexset *set, uint32_t value);
int indexset_copy(indexset **out, const indexset *source);
void indexset_free(indexset **set);
int indexset_next(const indexset *set, uint32_t *value, indexset_iter **cursor);
void indexset_iter_free(indexset_iter **cursor);

/* ---- rowcolmap ---- */
rowcolmap *rowcolmap_new();
int rowcolmap_get(const rowcolmap *map, uint32_t key, int *position);
int rowcolmap_has(const rowcolmap *map, uint32_t key);
int rowcolmap_set(rowcolmap *map, uint32_t key, int position);
int rowcolmap_del(rowcolmap *map, uint32_t key);
int rowcolmap_clear(rowcolmap *map);
int rowcolmap_copy(rowcolmap **out, const rowcolmap *source);
void rowcolmap_free(rowcolmap **map);
int rowcolmap_next(const rowcolmap *map, uint32_t *key, int *position, rowcolmap_iter **cursor);
void rowcolmap_iter_free(rowcolmap_iter **cursor);

#endif
