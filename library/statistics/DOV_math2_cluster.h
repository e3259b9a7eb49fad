#pragma once
// Agglomerative (hierarchical) clustering of the rows of a data matrix into a dendrogram.

#include "DOV_matrix.h"
#include "DOV_sdlbase.h"

class TIntMatrix;
class TVector;

// How the distance of a merged cluster to every other one follows from the distances of its two
// parts (the Lance-Williams update).
enum TClusterMethod { cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmFlexLink, cmUpgma };
// Display names of the methods, in the order of TClusterMethod.
extern const char* const ClusterMethodID[6];

// Receives the progress counter ProcStat and the percentage of merge steps done.
using TClusterFeedBackProc = void (*)(TObject* Sender, double ProgressCount, double PercentDone);

// Clusters the n rows of DataMat (objects 1..n; the cluster made at merge step s is n + s).
// Distances come from DataMat's CalcDistMat(DistMode); for dmUserDef DistEvent answers them
// (with Sender as its sender), standing in for DataMat's OnCalcDistance for the duration of the
// call (its own handler is restored afterwards, also after an error). Each step merges the
// closest pair of clusters: the first pair (i, j), i < j, in the scan order of the distance
// matrix (i ascending, then j) whose distance is the smallest below uc_MaxReal; the merged
// cluster takes position j. Alpha (flexible strategy) is forced into 0.5..1.
//
// Results (resized only when their size differs):
//   MergeTable (3 x n - 1): row s = the cluster at position i, the one at position j, n + s;
//   MergeDist (n - 1): the distance of each merge;
//   Positions (2n - 1): each object's place on the leaf axis (1..n), then each cluster's
//     position as the mean of its two parts'. The leaf order visits the root's parts in
//     column order and every inner cluster's parts in reverse column order.
//
// FeedBackProc (may be null) is called at the start with ProcStat and 0 and at every step s,
// after ProcStat was raised by 1, with ProcStat and 100 s / n. AbortMathProc is cleared at the
// start and polled before each merge: when set, the result is -1 and the results are zeroed.
// Otherwise the result is 0.
//
// Raises ESDLMath2Error "AgglomClustering: DataMat, MergeTable, MergeDist and/or Positions is
// undefined", "AgglomClustering: at least two objects are needed", and, when at some step no
// pair of clusters has a distance below uc_MaxReal (huge or not-a-number distances),
// "AgglomClustering: no pair of clusters with a valid distance left" (results zeroed).
//
// Time O(n^2) per step at worst but about O(n) typically (each row keeps its nearest
// neighbour); memory one n x n matrix of distances.
Integer AgglomClustering(TObject* Sender, TMatrix* DataMat, TDistMode DistMode,
                         TClusterMethod ClusterMethod, double Alpha, TIntMatrix* MergeTable,
                         TVector* MergeDist, TVector* Positions, TClusterFeedBackProc FeedBackProc,
                         TOnCalcDistanceEvent DistEvent);
